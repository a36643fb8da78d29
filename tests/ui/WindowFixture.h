// What every window test needs: a fresh TForm1 in a temporary current
// directory, its file dialogs answered from a queue, its message boxes
// recorded, and point files written to order.
#pragma once

#include "rtl/Messages.h"
#include "toolkit/Dialogs.h"
#include "toolkit/MessageBoxes.h"
#include "ui/Unit1.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fixture {

// Raw sample bytes that plot at (x, y).
inline std::uint8_t rawX(int x) { return std::uint8_t(x ^ 0x80); }
inline std::uint8_t rawY(int y) { return std::uint8_t((128 - y) & 0xFF); }

// A point file of count n (H * 255 + L) with the raw samples that
// sample(k) gives for k = 0 .. n.
inline QByteArray pointFile(int n, const std::function<std::pair<std::uint8_t, std::uint8_t>(int)> &sample)
{
    QByteArray bytes(64, '\0');
    bytes[48] = char(n / 255);
    bytes[49] = char(n % 255);
    QByteArray xs, ys;
    for (int k = 0; k <= n; ++k) {
        const auto [x, y] = sample(k);
        xs.append(char(x));
        ys.append(char(y));
    }
    return bytes + xs + ys;
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

class Window {
public:
    Window()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        toolkit::InstallMessageHandler();
        boxes = std::make_unique<toolkit::TMessageBoxRecorder>();
        toolkit::SetFileDialogHook([this](const toolkit::TFileDialogRequest &request) {
            requests.push_back(request);
            std::optional<QString> answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        });
        form = std::make_unique<TForm1>();
        form->Timer1->stop(); // tests drive the start-up load themselves
        form->show();
    }
    ~Window()
    {
        form.reset();
        toolkit::SetFileDialogHook({});
        boxes.reset();
        QDir::setCurrent(startDir);
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // File, Open with the dialog answered by path.
    void open(const QString &path)
    {
        answers.push_back(path);
        form->ui.Open1->trigger();
    }

    QStringList plain() const { return boxes->Texts(toolkit::TMessageKind::Plain); }
    QStringList errors() const { return boxes->Texts(toolkit::TMessageKind::Error); }

    QStringList listing() const
    {
        QStringList lines;
        for (int i = 0; i < form->ui.lb->count(); ++i)
            lines << form->ui.lb->item(i)->text();
        return lines;
    }

    toolkit::TColor pixel(int x, int y) { return form->ui.pb->Canvas().Pixel(x, y); }

    // The plot's pixels that are not black.
    int drawnPixels() const
    {
        const QImage &image = form->ui.pb->Image();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += (image.pixel(x, y) & 0xFFFFFF) != 0;
        return count;
    }

    QString startDir = QDir::currentPath();
    QTemporaryDir dir;
    std::unique_ptr<toolkit::TMessageBoxRecorder> boxes;
    std::vector<toolkit::TFileDialogRequest> requests;
    std::deque<std::optional<QString>> answers;
    std::unique_ptr<TForm1> form;
};

} // namespace fixture
