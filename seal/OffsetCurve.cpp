#include "seal/OffsetCurve.h"

#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kSamples = 4096;

// Index i with table[i] <= v < table[i + 1] in an increasing table.
size_t segment(const std::vector<double>& table, double v)
{
    auto it = std::upper_bound(table.begin(), table.end(), v);
    size_t i = it == table.begin() ? 0 : size_t(it - table.begin()) - 1;
    return std::min(i, table.size() - 2);
}

} // namespace

OffsetCurve::OffsetCurve(double cx, double cy, double ax, double ay, double inset)
    : cx_(cx), cy_(cy), ax_(std::max(ax, 1.0)), ay_(std::max(ay, 1.0)), inset_(inset)
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
    QPointF prev;
    double unwrap = 0, lastA = 0;
    for (int i = 0; i <= kSamples; ++i) {
        const double t = kTwoPi * i / kSamples;
        const QPointF p = pointAtParam(t);
        t_[i] = t;
        if (i == 0) {
            s_[i] = 0;
        } else {
            s_[i] = s_[i - 1] + std::hypot(p.x() - prev.x(), p.y() - prev.y());
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
    const double len = std::hypot(gx, gy);
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
    // On the right half (parameter 0 to pi) y grows with the parameter.
    const double top = pointAtParam(0).y() - cy_, bottom = pointAtParam(kTwoPi / 2).y() - cy_;
    if (!(dy > top && dy < bottom))
        return 0;
    double lo = 0, hi = kTwoPi / 2;
    for (int k = 0; k < 60; ++k) {
        const double mid = (lo + hi) / 2;
        if (pointAtParam(mid).y() - cy_ < dy)
            lo = mid;
        else
            hi = mid;
    }
    return std::max(0.0, pointAtParam((lo + hi) / 2).x() - cx_);
}

} // namespace plomet
