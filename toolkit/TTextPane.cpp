#include "toolkit/TTextPane.h"

#include "rtl/Messages.h"
#include "textlines/TextLines.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <vector>

namespace toolkit {

using namespace textlines;

namespace {

struct TConversionFormat {
    QString extension;
    TConversionClass conversion;
};

std::vector<TConversionFormat> &registry()
{
    static std::vector<TConversionFormat> formats;
    return formats;
}

constexpr int kMargin = TTextPane::kTextMargin;
// A scroll bar holds an int; longer texts map its range onto the lines.
constexpr std::uint64_t kBarSteps = 1u << 30;
// The first slice of indexing shows the first screens before LoadFromFile
// returns; a few MiB are plenty for that.
constexpr auto kFirstSlice = std::chrono::milliseconds(30);
constexpr std::uint64_t kFirstSliceBytes = 4 << 20;
// Later slices leave the window free to answer between them.
constexpr auto kSlice = std::chrono::milliseconds(12);
// Scroll ranges follow a growing index at most this often.
constexpr auto kRefreshEvery = std::chrono::milliseconds(100);
// Shown for control characters, which have no glyph of their own.
constexpr char16_t kControlGlyph = 0x00B7;

QString displayText(std::string_view content)
{
    QString shown;
    shown.reserve(static_cast<qsizetype>(content.size()));
    for (const char c : content) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\t') {
            shown.append(QString(8 - shown.size() % 8, QLatin1Char(' ')));
        } else if (b < 0x20 || (b >= 0x7F && b < 0xA0)) {
            shown.append(QChar(kControlGlyph));
        } else {
            shown.append(QChar(b)); // the bytes are Latin-1
        }
    }
    return shown;
}

} // namespace

TTextPane::TTextPane(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::WheelFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    work_.setInterval(0);
    connect(&work_, &QTimer::timeout, this, &TTextPane::workSlice);
    dragTimer_.setInterval(50);
    connect(&dragTimer_, &QTimer::timeout, this, &TTextPane::dragScroll);
    updateMetrics();
    updateScrollBars();
}

TTextPane::~TTextPane() = default;

// ---- Registry

void TTextPane::RegisterExtension(const QString &ext, TConversionClass conversion)
{
    QString key = ext.toLower();
    if (key.startsWith(QLatin1Char('.')))
        key.remove(0, 1);
    registry().insert(registry().begin(), {key, std::move(conversion)});
}

TConversionClass TTextPane::ConversionFor(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    for (const TConversionFormat &format : registry())
        if (format.extension == ext)
            return format.conversion;
    return {};
}

void TTextPane::ClearRegistry()
{
    registry().clear();
}

// ---- Loading

void TTextPane::LoadFromFile(const QString &fileName)
{
    auto file = std::make_unique<rtl::TFileStream>(fileName.toStdString(), rtl::TFileMode::OpenRead);
    clear();
    const std::int64_t size = file->Size();
    // Devices and kernel files report size 0 yet may give bytes, or never
    // end: read them as small files, but no further than this.
    const std::int64_t readLimit = std::max(size, kSequentialLimit);
    std::unique_ptr<TLineSource> source;
    if (TConversionClass make = ConversionFor(fileName)) {
        std::unique_ptr<TConversion> conversion = make();
        if (size <= kSequentialLimit) {
            TBoundedStream bounded(*file, readLimit);
            source = TIndexedLines::FromText(ReadAllConverted(*conversion, bounded));
        } else if (conversion->HasLineAccess()) {
            source = std::make_unique<TConvertedLines>(std::move(conversion), std::move(file));
        } else {
            source = TIndexedLines::FromConversion(std::move(conversion), std::move(file));
        }
    } else if (size <= kSequentialLimit) {
        source = TIndexedLines::FromText(ReadAllBytes(*file, readLimit));
    } else {
        source = TIndexedLines::FromFile(std::move(file));
    }
    source->Advance(kFirstSlice, kFirstSliceBytes);
    source_ = std::move(source);
    widest_ = source_->Longest();
    lastRefresh_ = std::chrono::steady_clock::now();
    updateScrollBars();
    viewport()->update();
    if (!source_->Complete())
        work_.start();
}

void TTextPane::workSlice()
{
    if (!source_) {
        work_.stop();
        return;
    }
    try {
        source_->Advance(kSlice);
    } catch (...) {
        work_.stop(); // show what there is; the application reports the failure
        throw;
    }
    const auto now = std::chrono::steady_clock::now();
    const bool done = source_->Complete();
    if (done || now - lastRefresh_ >= kRefreshEvery) {
        lastRefresh_ = now;
        widest_ = std::max(widest_, source_->Longest());
        updateScrollBars();
        viewport()->update();
    }
    if (done) {
        work_.stop();
        if (OnLoadComplete)
            OnLoadComplete(this);
    }
}

void TTextPane::clear()
{
    work_.stop();
    dragTimer_.stop();
    dragging_ = false;
    source_.reset();
    top_ = 0;
    widest_ = 0;
    anchor_ = cursor_ = {};
    updateScrollBars();
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

std::string TTextPane::Text() const
{
    return source_ ? source_->Text() : std::string();
}

std::uint64_t TTextPane::LineCount() const
{
    return source_ ? source_->LineCount() : 0;
}

std::string TTextPane::Line(std::uint64_t index) const
{
    std::vector<std::string> lines;
    if (source_)
        source_->Lines(index, 1, lines);
    return lines.empty() ? std::string() : std::move(lines.front());
}

// ---- Scrolling

std::uint64_t TTextPane::VisibleLines() const
{
    return static_cast<std::uint64_t>(std::max(1, (viewport()->height() - kMargin) / lineHeight_));
}

std::uint64_t TTextPane::maxTop() const
{
    const std::uint64_t count = LineCount();
    const std::uint64_t visible = VisibleLines();
    return count > visible ? count - visible : 0;
}

bool TTextPane::barScaled() const
{
    return maxTop() > kBarSteps;
}

int TTextPane::toBar(std::uint64_t top) const
{
    if (!barScaled())
        return static_cast<int>(top);
    return static_cast<int>(static_cast<long double>(top) / static_cast<long double>(maxTop()) * kBarSteps);
}

std::uint64_t TTextPane::fromBar(int value) const
{
    const auto v = static_cast<std::uint64_t>(std::max(0, value));
    if (!barScaled())
        return std::min(v, maxTop());
    return static_cast<std::uint64_t>(static_cast<long double>(v) / kBarSteps * static_cast<long double>(maxTop()));
}

void TTextPane::updateScrollBars()
{
    syncing_ = true;
    const std::uint64_t top = std::min(top_, maxTop());
    top_ = top;
    QScrollBar *bar = verticalScrollBar();
    const auto visible = static_cast<int>(std::min<std::uint64_t>(VisibleLines(), kBarSteps));
    bar->setRange(0, barScaled() ? static_cast<int>(kBarSteps) : static_cast<int>(maxTop()));
    bar->setPageStep(barScaled() ? std::max(1, toBar(static_cast<std::uint64_t>(visible))) : visible);
    bar->setSingleStep(1);
    bar->setValue(toBar(top));

    QScrollBar *hbar = horizontalScrollBar();
    const auto contentWidth = static_cast<long long>(widest_) * charWidth_ + 2 * kMargin;
    const auto room = static_cast<long long>(viewport()->width());
    hbar->setRange(0, static_cast<int>(std::clamp(contentWidth - room, 0LL, static_cast<long long>(INT_MAX / 2))));
    hbar->setPageStep(std::max(1, viewport()->width()));
    hbar->setSingleStep(charWidth_);
    xOffset_ = hbar->value();
    syncing_ = false;
}

void TTextPane::ScrollToLine(std::uint64_t line)
{
    top_ = std::min(line, maxTop());
    syncing_ = true;
    verticalScrollBar()->setValue(toBar(top_));
    syncing_ = false;
    viewport()->update();
}

void TTextPane::scrollContentsBy(int dx, int dy)
{
    if (dy != 0 && !syncing_)
        top_ = fromBar(verticalScrollBar()->value());
    if (dx != 0)
        xOffset_ = horizontalScrollBar()->value();
    viewport()->update();
}

void TTextPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TTextPane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateScrollBars();
        viewport()->update();
    }
}

void TTextPane::updateMetrics()
{
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    ascent_ = metrics.ascent();
    fixedPitch_ = QFontInfo(font()).fixedPitch() &&
                  metrics.horizontalAdvance(QLatin1Char('i')) == charWidth_ &&
                  metrics.horizontalAdvance(QLatin1Char('W')) == charWidth_;
}

void TTextPane::wheelEvent(QWheelEvent *event)
{
    const int dy = event->angleDelta().y();
    if (dy == 0 || (event->modifiers() & Qt::ShiftModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheelRest_ += dy;
    const int steps = wheelRest_ / 120;
    wheelRest_ %= 120;
    const auto lines = static_cast<std::uint64_t>(std::abs(steps) * QApplication::wheelScrollLines());
    ScrollToLine(steps > 0 ? (top_ > lines ? top_ - lines : 0) : top_ + lines);
    event->accept();
}

void TTextPane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const std::uint64_t page = VisibleLines();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QScrollBar *hbar = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up: ScrollToLine(top_ > 0 ? top_ - 1 : 0); break;
    case Qt::Key_Down: ScrollToLine(top_ + 1); break;
    case Qt::Key_PageUp: ScrollToLine(top_ > page ? top_ - page : 0); break;
    case Qt::Key_PageDown: ScrollToLine(top_ + page); break;
    case Qt::Key_Home: ctrl ? ScrollToLine(0) : hbar->setValue(0); break;
    case Qt::Key_End: ctrl ? ScrollToLine(maxTop()) : hbar->setValue(hbar->maximum()); break;
    case Qt::Key_Left: hbar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: hbar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

// ---- Selection

TTextPos TTextPane::posAt(QPoint point) const
{
    const std::uint64_t count = LineCount();
    const int y = point.y() - kMargin;
    const int row = y < 0 ? -1 - (-y - 1) / lineHeight_ : y / lineHeight_;
    if (row < 0 && top_ < static_cast<std::uint64_t>(-static_cast<long long>(row)))
        return {0, 0};
    const std::uint64_t line = top_ + static_cast<std::uint64_t>(static_cast<long long>(row));
    if (line >= count)
        return {count, 0};
    const std::string text = Line(line);
    const long long x = static_cast<long long>(point.x()) + xOffset_ - kMargin;
    const auto column = static_cast<std::size_t>(std::max(0LL, (x + charWidth_ / 2) / charWidth_));
    return {line, ByteAtColumn(LineContent(text), column)};
}

void TTextPane::SetSelection(TTextPos anchor, TTextPos cursor)
{
    anchor_ = anchor;
    cursor_ = cursor;
    viewport()->update();
}

void TTextPane::selectAll()
{
    SetSelection({0, 0}, {LineCount(), 0});
}

std::string TTextPane::SelectedText(bool *truncated) const
{
    if (truncated)
        *truncated = false;
    std::string text;
    if (!source_ || !HasSelection())
        return text;
    const TTextPos from = SelectionStart();
    const TTextPos to = SelectionEnd();
    constexpr std::size_t kBatch = 1024;
    std::vector<std::string> lines;
    for (std::uint64_t first = from.line; first <= to.line && first < LineCount(); first += kBatch) {
        lines.clear();
        source_->Lines(first, kBatch, lines);
        for (std::size_t i = 0; i < lines.size() && first + i <= to.line; ++i) {
            const std::string &line = lines[i];
            // A column past the line's content stands before its line end.
            const std::size_t content = LineContent(line).size();
            const std::size_t begin = first + i == from.line ? std::min(from.column, content) : 0;
            const std::size_t end = first + i == to.line ? std::min(to.column, content) : line.size();
            if (end <= begin)
                continue;
            if (text.size() + (end - begin) > copyLimit_) {
                if (truncated)
                    *truncated = true;
                return text;
            }
            text.append(line, begin, end - begin);
        }
        if (lines.size() < kBatch)
            break;
    }
    return text;
}

void TTextPane::copy()
{
    bool truncated = false;
    const std::string text = SelectedText(&truncated);
    if (text.empty() && !truncated)
        return;
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (truncated) {
        const auto lines = std::count(text.begin(), text.end(), '\n');
        rtl::ShowMessage("The selection is too large to copy at once: only its first " + std::to_string(lines) +
                         " lines were copied.");
    }
}

void TTextPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const TTextPos pos = posAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = pos;
    cursor_ = pos;
    dragging_ = true;
    dragPoint_ = event->position().toPoint();
    viewport()->update();
}

void TTextPane::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging_)
        return;
    dragPoint_ = event->position().toPoint();
    const bool outside = dragPoint_.y() < 0 || dragPoint_.y() >= viewport()->height();
    if (outside && !dragTimer_.isActive())
        dragTimer_.start();
    cursor_ = posAt(dragPoint_);
    viewport()->update();
}

void TTextPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        dragTimer_.stop();
    }
}

// Keeps scrolling while a selection is dragged past the top or bottom.
void TTextPane::dragScroll()
{
    if (!dragging_) {
        dragTimer_.stop();
        return;
    }
    if (dragPoint_.y() < 0)
        ScrollToLine(top_ > 0 ? top_ - 1 : 0);
    else if (dragPoint_.y() >= viewport()->height())
        ScrollToLine(top_ + 1);
    else
        dragTimer_.stop();
    cursor_ = posAt(dragPoint_);
}

void TTextPane::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(tr("&Copy"), this, &TTextPane::copy);
    copyAction->setEnabled(HasSelection());
    menu.addAction(tr("Select &All"), this, &TTextPane::selectAll);
    menu.exec(event->globalPos());
}

// ---- Painting

void TTextPane::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(viewport());
    painter.setFont(font());
    if (!source_)
        return;
    const std::uint64_t rows = VisibleLines() + 1;
    std::vector<std::string> lines;
    source_->Lines(top_, static_cast<std::size_t>(rows), lines);
    const std::size_t widest = widest_;
    for (std::size_t i = 0; i < lines.size(); ++i)
        drawLine(painter, kMargin + static_cast<int>(i) * lineHeight_, top_ + i, lines[i]);
    if (widest_ > widest)
        QTimer::singleShot(0, this, [this] { updateScrollBars(); });
}

void TTextPane::drawLine(QPainter &painter, int y, std::uint64_t index, const std::string &line)
{
    const std::string_view content = LineContent(line);
    const QString shown = displayText(content);
    widest_ = std::max(widest_, static_cast<std::size_t>(shown.size()));
    const int x = kMargin - xOffset_;

    auto draw = [&] {
        if (fixedPitch_) {
            painter.drawText(x, y + ascent_, shown);
            return;
        }
        for (qsizetype i = 0; i < shown.size(); ++i)
            painter.drawText(x + static_cast<int>(i) * charWidth_, y + ascent_, QString(shown[i]));
    };
    painter.setPen(palette().color(QPalette::Text));
    draw();

    const TTextPos from = SelectionStart();
    const TTextPos to = SelectionEnd();
    if (!HasSelection() || from.line > index || to.line < index)
        return;
    const std::size_t begin = from.line == index ? ColumnOf(content, from.column) : 0;
    // A selection that goes on past the line shows its line end as one cell.
    const std::size_t end = to.line == index ? ColumnOf(content, to.column) : ColumnOf(content, content.size()) + 1;
    if (end <= begin)
        return;
    const QRect band(x + static_cast<int>(begin) * charWidth_, y, static_cast<int>(end - begin) * charWidth_,
                     lineHeight_);
    painter.save();
    painter.setClipRect(band);
    painter.fillRect(band, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    draw();
    painter.restore();
}

} // namespace toolkit
