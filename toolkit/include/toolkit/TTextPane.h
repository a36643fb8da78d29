// The text pane: shows a file's text, produced by a conversion chosen by
// the file's extension from a class-wide registry, or the file's bytes as
// plain text when no conversion is registered for the extension.
//
// It formats only the lines it shows, so opening a file of any size is
// immediate and takes little memory; large plain files are indexed in
// slices between events on the window's own thread.
#pragma once

#include "rtl/Classes.h"
#include "textlines/Conversion.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QTimer>

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace textlines {
class TLineSource;
}

namespace toolkit {

using textlines::TConversion;

// What the registry holds: a way to make a fresh conversion for each load.
using TConversionClass = std::function<std::unique_ptr<TConversion>()>;

// A place in the text: a line and a byte of it. Line LineCount(), byte 0,
// is the end of the text.
struct TTextPos {
    std::uint64_t line = 0;
    std::size_t column = 0;
    auto operator<=>(const TTextPos &) const = default;
};

class TTextPane : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Files up to this size go through the conversion's ReadConverted to the
    // end at once, so its progress calls happen; larger files are shown
    // lazily (line access, or indexed in slices).
    static constexpr std::int64_t kSequentialLimit = 1 << 20;
    // Blank pixels around the text.
    static constexpr int kTextMargin = 3;
    // The most text one copy puts on the clipboard.
    static constexpr std::size_t kDefaultCopyLimit = std::size_t{32} << 20;

    explicit TTextPane(QWidget *parent = nullptr);
    ~TTextPane() override;

    // Adds an entry for ext (stored lower-case, without a dot). The newest
    // registration of an extension wins.
    static void RegisterExtension(const QString &ext, TConversionClass conversion);
    // The conversion registered for a file name's extension, or none.
    static TConversionClass ConversionFor(const QString &fileName);
    // Forgets every registration (tests).
    static void ClearRegistry();

    // Replaces the pane's text with fileName's converted text. A file that
    // cannot be opened: rtl::EFOpenError "Cannot open file NAME".
    void LoadFromFile(const QString &fileName);

    // The pane's whole text, exactly as the conversion produced it.
    std::string Text() const;

    // Lines of the text; a last line without a line end counts.
    std::uint64_t LineCount() const;
    // Line index with its line end; empty past the end.
    std::string Line(std::uint64_t index) const;
    // A large plain file is still being indexed.
    bool Loading() const { return work_.isActive(); }

    std::uint64_t TopLine() const { return top_; }
    // Puts line at the top, or as near as the end of the text allows.
    void ScrollToLine(std::uint64_t line);
    // Whole lines that fit in the pane.
    std::uint64_t VisibleLines() const;

    void SetSelection(TTextPos anchor, TTextPos cursor);
    TTextPos SelectionStart() const { return std::min(anchor_, cursor_); }
    TTextPos SelectionEnd() const { return std::max(anchor_, cursor_); }
    bool HasSelection() const { return anchor_ != cursor_; }
    // The selected text, whole lines up to the copy limit; *truncated tells
    // whether the limit cut it.
    std::string SelectedText(bool *truncated = nullptr) const;
    void SetCopyLimit(std::size_t bytes) { copyLimit_ = bytes; }

    // Called once a load that went on in the background has finished.
    std::function<void(TTextPane *Sender)> OnLoadComplete;

public slots:
    void clear();
    void selectAll();
    // Puts the selection on the clipboard; a selection above the copy limit
    // is cut at a line end and the user is told.
    void copy();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void workSlice();
    void dragScroll();
    void updateMetrics();
    void updateScrollBars();
    std::uint64_t maxTop() const;
    bool barScaled() const;
    int toBar(std::uint64_t top) const;
    std::uint64_t fromBar(int value) const;
    TTextPos posAt(QPoint point) const;
    void drawLine(class QPainter &painter, int y, std::uint64_t index, const std::string &line);

    std::unique_ptr<textlines::TLineSource> source_;
    QTimer work_;
    QTimer dragTimer_;
    std::uint64_t top_ = 0;
    int xOffset_ = 0;
    bool syncing_ = false;
    int lineHeight_ = 1;
    int charWidth_ = 1;
    int ascent_ = 0;
    bool fixedPitch_ = true;
    std::size_t widest_ = 0; // display columns
    TTextPos anchor_;
    TTextPos cursor_;
    bool dragging_ = false;
    QPoint dragPoint_;
    int wheelRest_ = 0;
    std::size_t copyLimit_ = kDefaultCopyLimit;
    std::chrono::steady_clock::time_point lastRefresh_;
};

} // namespace toolkit
