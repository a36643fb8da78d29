#include "Outlines.h"

#include <algorithm>
#include <cmath>

namespace svgin {

namespace {

double DistanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / length;
}

bool Finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// A cubic is drawn by its chord once its control points lie within the
// tolerance of it: the curve stays inside their hull.
void FlattenCubic(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double tolerance, Points &out, Budget &budget,
                  int depth)
{
    if (depth >= 16 || (DistanceToLine(p1, p0, p3) <= tolerance && DistanceToLine(p2, p0, p3) <= tolerance)) {
        if (budget.Take(1))
            out.push_back(p3);
        return;
    }
    const QPointF a = (p0 + p1) / 2, b = (p1 + p2) / 2, c = (p2 + p3) / 2;
    const QPointF d = (a + b) / 2, e = (b + c) / 2, m = (d + e) / 2;
    FlattenCubic(p0, a, d, m, tolerance, out, budget, depth + 1);
    FlattenCubic(m, e, c, p3, tolerance, out, budget, depth + 1);
}

// Where the pattern stands after offset: the element and what is left of it.
double PatternStart(const QList<qreal> &dashes, double offset, int &index)
{
    index = 0;
    for (int n = 0; n < dashes.size() && offset >= dashes[index]; ++n) {
        offset -= dashes[index];
        index = (index + 1) % int(dashes.size());
    }
    return std::max(0.0, dashes[index] - offset);
}

} // namespace

bool Budget::Take(std::size_t n)
{
    if (n > left) {
        left = 0;
        spent_ = true;
        return false;
    }
    left -= n;
    return true;
}

std::vector<Points> Flatten(const QPainterPath &path, double tolerance, bool close, Budget &budget)
{
    std::vector<Points> lines;
    Points line;
    auto finish = [&] {
        // The outline of a fill is closed even where the path is not.
        if (close && line.size() > 2 && line.front() != line.back() && budget.Take(1))
            line.push_back(line.front());
        if (line.size() > 1)
            lines.push_back(std::move(line));
        line.clear();
    };
    for (int i = 0; i < path.elementCount() && !budget.Spent(); ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        const QPointF at(e.x, e.y);
        const bool curve = e.isCurveTo() && i + 2 < path.elementCount();
        if (e.isMoveTo() || line.empty() || !Finite(at)) {
            finish();
            if (Finite(at) && budget.Take(1))
                line.push_back(at);
        } else if (curve) {
            const QPointF c2(path.elementAt(i + 1).x, path.elementAt(i + 1).y);
            const QPointF end(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
            if (Finite(c2) && Finite(end))
                FlattenCubic(line.back(), at, c2, end, tolerance, line, budget, 0);
            i += 2;
        } else if (budget.Take(1)) {
            line.push_back(at);
        }
    }
    finish();
    return lines;
}

std::vector<Points> Dash(const Points &line, const QList<qreal> &dashes, qreal offset, Budget &budget)
{
    double total = 0;
    for (const qreal d : dashes)
        total += d;
    std::vector<Points> out;
    if (line.size() < 2 || !(total > 0))
        return out;
    int index = 0;
    double left = PatternStart(dashes, std::fmod(std::fmod(offset, total) + total, total), index);
    Points dash;
    if (index % 2 == 0)
        dash.push_back(line.front());
    for (std::size_t i = 1; i < line.size() && !budget.Spent(); ++i) {
        QPointF from = line[i - 1];
        double length = std::hypot(line[i].x() - from.x(), line[i].y() - from.y());
        while (length > left && !budget.Spent()) {
            from += (line[i] - from) * (left / length);
            length -= left;
            if (index % 2 == 0) {
                dash.push_back(from);
                if (dash.size() > 1 && budget.Take(dash.size()))
                    out.push_back(std::move(dash));
                dash.clear();
            } else {
                dash.push_back(from);
            }
            index = (index + 1) % int(dashes.size());
            left = dashes[index];
        }
        left -= length;
        if (index % 2 == 0)
            dash.push_back(line[i]);
    }
    if (dash.size() > 1 && budget.Take(dash.size()))
        out.push_back(std::move(dash));
    return out;
}

QPainterPath AreaOf(const std::vector<Points> &lines, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    for (const Points &line : lines) {
        path.moveTo(line.front());
        for (std::size_t i = 1; i < line.size(); ++i)
            path.lineTo(line[i]);
        path.closeSubpath();
    }
    return path;
}

QPainterPath Merge(std::vector<QPainterPath> areas)
{
    // Pairwise, so each union works on paths of like size.
    while (areas.size() > 1) {
        std::vector<QPainterPath> next;
        for (std::size_t i = 0; i + 1 < areas.size(); i += 2)
            next.push_back(areas[i].united(areas[i + 1]));
        if (areas.size() % 2 != 0)
            next.push_back(areas.back());
        areas = std::move(next);
    }
    return areas.empty() ? QPainterPath() : areas.front().simplified();
}

bool CoversPage(const QPainterPath &path, const QRectF &page, double tolerance)
{
    const QRectF box = path.boundingRect();
    if (path.elementCount() < 4 || path.elementCount() > 5 || box.isEmpty())
        return false;
    if (!box.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(page))
        return false;
    auto near = [tolerance](double a, double b) { return std::abs(a - b) <= tolerance; };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.isCurveTo() || (e.isMoveTo() && i > 0))
            return false;
        if (!(near(e.x, box.left()) || near(e.x, box.right())) || !(near(e.y, box.top()) || near(e.y, box.bottom())))
            return false;
    }
    return true;
}

} // namespace svgin
