// The player's scanner view of a 65,535-point frame: the drawing of the
// beam's light (new frame, same size) with the paint on the screen, and
// the figures the info panel measures beside it.
#include "Figures.h"

#include "player/FrameScan.h"
#include "player/PlayerWindow.h"
#include "player/ScannerMode.h"
#include "scan/Figures.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace bench {

bool ScannerViewFigures(player::PlayerWindow &window, const std::string &path, bool quick)
{
    rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
    const player::FoundFrame found = player::FindFrame(stream, 0);
    if (!found.frame)
        return false;
    auto points = std::make_shared<std::vector<ilda::Point>>(found.frame->pointCount);
    points->resize(ilda::DecodeFrame(stream, *found.frame, *points));

    player::ScannerMode &scanner = *window.Scanner();
    scanner.SetActive(true);
    player::ScannerView &view = *scanner.View();
    std::vector<double> draws, measures;
    QElapsedTimer clock;
    for (int i = 0; i < (quick ? 5 : 30); ++i) {
        // A frame of its own each time, so that nothing drawn before is kept.
        view.SetFrame(std::make_shared<const std::vector<ilda::Point>>(*points));
        clock.start();
        view.repaint();
        draws.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (i < (quick ? 1 : 5)) {
            clock.restart();
            const scan::Figures figures = scan::Measure(*points, *points, view.Profile());
            measures.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (figures.points != points->size())
                return false;
        }
    }
    scanner.SetActive(false);
    std::sort(draws.begin(), draws.end());
    std::sort(measures.begin(), measures.end());
    Figure("player_scanner_view_65535_ms", draws[draws.size() / 2], "ms");
    Figure("player_scanner_measure_65535_ms", measures[measures.size() / 2], "ms");
    return true;
}

} // namespace bench
