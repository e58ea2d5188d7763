#include "seal/OffsetCurve.h"

#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// About 5 twips of arc between samples on a 40 mm seal: chords then miss
// the arc by parts per million, and a straight line between samples is
// far below a twip from the curve.
constexpr int kSamples = 1024;

// Index i with table[i] <= v < table[i + 1] in an increasing table.
size_t segment(const std::vector<double>& table, double v)
{
    auto it = std::upper_bound(table.begin(), table.end(), v);
    size_t i = it == table.begin() ? 0 : size_t(it - table.begin()) - 1;
    return std::min(i, table.size() - 2);
}

} // namespace

OffsetCurve::OffsetCurve(double cx, double cy, double ax, double ay, double inset)
    : cx_(cx), cy_(cy), ax_(std::max(ax, 1.0)), ay_(std::max(ay, 1.0)), inset_(inset), ax0_(ax), ay0_(ay),
      inset0_(inset)
{
    // The tightest radius of curvature is b^2 / a (a the long semi-axis);
    // an inset beyond it folds the curve into loops.
    const double a = std::max(ax_, ay_), b = std::min(ax_, ay_);
    const double limit = 0.98 * b * b / a;
    if (!std::isfinite(inset_) || inset_ > limit)
        inset_ = std::isfinite(inset_) ? limit : 0;
    t_.resize(kSamples + 1);
    s_.resize(kSamples + 1);
    angle_.resize(kSamples + 1);
    points_.resize(kSamples + 1);
    QPointF prev;
    double unwrap = 0, lastA = 0;
    for (int i = 0; i <= kSamples; ++i) {
        const double t = kTwoPi * i / kSamples;
        const QPointF p = pointAtParam(t);
        t_[i] = t;
        points_[i] = p;
        if (i == 0) {
            s_[i] = 0;
        } else {
            const double dx = p.x() - prev.x(), dy = p.y() - prev.y();
            s_[i] = s_[i - 1] + std::sqrt(dx * dx + dy * dy);
        }
        double a = std::atan2(p.x() - cx_, -(p.y() - cy_)) * 360.0 / kTwoPi;
        if (a < 0)
            a += 360;
        if (i > 0 && a + unwrap < lastA - 180)
            unwrap += 360;
        angle_[i] = a + unwrap;
        lastA = angle_[i];
        prev = p;
    }
    angle_[0] = 0;
    angle_[kSamples] = 360;
    total_ = s_[kSamples];
}

QPointF OffsetCurve::pointAtParam(double t) const
{
    const QPointF n = normalAtParam(t);
    return QPointF(cx_ + ax_ * std::sin(t) - inset_ * n.x(), cy_ - ay_ * std::cos(t) - inset_ * n.y());
}

QPointF OffsetCurve::normalAtParam(double t) const
{
    // The gradient of (x/ax)^2 + (y/ay)^2 at the ellipse's point.
    const double gx = std::sin(t) / ax_, gy = -std::cos(t) / ay_;
    const double len = std::sqrt(gx * gx + gy * gy);
    return QPointF(gx / len, gy / len);
}

double OffsetCurve::paramAt(double s) const
{
    if (!(total_ > 0) || !std::isfinite(s))
        return 0;
    const double turns = std::floor(s / total_);
    const double r = s - turns * total_;
    const size_t i = segment(s_, r);
    const double span = s_[i + 1] - s_[i];
    const double f = span > 0 ? (r - s_[i]) / span : 0;
    return t_[i] + f * (t_[i + 1] - t_[i]) + turns * kTwoPi;
}

QPointF OffsetCurve::pointAt(double s) const { return pointAtParam(paramAt(s)); }
QPointF OffsetCurve::normalAt(double s) const { return normalAtParam(paramAt(s)); }

double OffsetCurve::angleAt(double s) const
{
    const QPointF p = pointAt(s);
    double a = std::atan2(p.x() - cx_, -(p.y() - cy_)) * 360.0 / kTwoPi;
    return a < 0 ? a + 360 : a;
}

double OffsetCurve::arcAtAngle(double deg) const
{
    if (!std::isfinite(deg))
        return 0;
    const double turns = std::floor(deg / 360.0);
    const double a = deg - turns * 360.0;
    const size_t i = segment(angle_, a);
    const double span = angle_[i + 1] - angle_[i];
    // A sample is about a twip of arc: within it, arc length follows the
    // angle linearly to far below a twip.
    const double f = span > 0 ? (a - angle_[i]) / span : 0;
    return s_[i] + f * (s_[i + 1] - s_[i]) + turns * total_;
}

double OffsetCurve::halfWidthAt(double dy) const
{
    // On the right half (the first half of the samples) y grows steadily.
    const size_t half = kSamples / 2;
    const double top = points_[0].y() - cy_, bottom = points_[half].y() - cy_;
    if (!(dy > top && dy < bottom))
        return 0;
    size_t lo = 0, hi = half;
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        (points_[mid].y() - cy_ < dy ? lo : hi) = mid;
    }
    const QPointF a = points_[lo], b = points_[hi];
    const double f = b.y() > a.y() ? (dy - (a.y() - cy_)) / (b.y() - a.y()) : 0;
    return std::max(0.0, a.x() + f * (b.x() - a.x()) - cx_);
}

std::shared_ptr<const OffsetCurve> OffsetCurve::shared(double cx, double cy, double ax, double ay, double inset)
{
    thread_local std::vector<std::shared_ptr<const OffsetCurve>> kept;
    for (size_t i = 0; i < kept.size(); ++i) {
        const auto& c = kept[i];
        if (c->cx_ == cx && c->cy_ == cy && c->ax0_ == ax && c->ay0_ == ay && c->inset0_ == inset) {
            auto found = c;
            kept.erase(kept.begin() + long(i));
            kept.push_back(found);   // most recent last
            return found;
        }
    }
    auto made = std::make_shared<const OffsetCurve>(cx, cy, ax, ay, inset);
    if (kept.size() >= 16)
        kept.erase(kept.begin());
    kept.push_back(made);
    return made;
}

} // namespace plomet
