#pragma once
// A curve parallel to an ellipse: every point lies a fixed distance inside
// the ellipse along its normal. Text set along an oval follows such a curve,
// so that it keeps the same distance from the band everywhere; a scaled
// ellipse would come closer to the band at the ends of the long axis.
#include <QPointF>
#include <memory>
#include <vector>

namespace plomet {

class OffsetCurve {
public:
    // The ellipse with semi-axes ax, ay around (cx, cy), moved inwards by
    // inset twips (negative: outwards). An inset so deep that the curve would
    // fold over itself near the ends of the long axis is limited to just
    // short of the tightest radius of curvature.
    OffsetCurve(double cx, double cy, double ax, double ay, double inset);
    // The same curve, kept between calls: a seal asks for the same few
    // curves on every Draw (a few per thread are kept).
    static std::shared_ptr<const OffsetCurve> shared(double cx, double cy, double ax, double ay, double inset);

    double length() const { return total_; }
    double inset() const { return inset_; }

    // Arc length, measured clockwise from 12 o'clock, of the point that is
    // seen from the centre at angle deg (clockwise from 12 o'clock; any
    // value, whole turns added or removed as needed: 360 gives length()).
    double arcAtAngle(double deg) const;
    // The point at arc length s (clockwise from 12 o'clock; taken modulo the length).
    QPointF pointAt(double s) const;
    // The unit normal pointing away from the centre at arc length s.
    QPointF normalAt(double s) const;
    // The angle seen from the centre at arc length s, in [0, 360).
    double angleAt(double s) const;
    // Half the width of the area inside the curve at dy below the centre
    // (negative: above); 0 beyond its top or bottom.
    double halfWidthAt(double dy) const;

    // The ellipse's parameter (clockwise from 12 o'clock) at arc length s.
    double paramAt(double s) const;
    QPointF pointAtParam(double t) const;
    QPointF normalAtParam(double t) const;

private:
    double cx_, cy_, ax_, ay_, inset_;
    double total_ = 0;
    double ax0_, ay0_, inset0_;           // as asked for (the inset may have been limited)
    std::vector<double> t_, s_, angle_;   // samples: parameter, arc length, angle (unwrapped)
    std::vector<QPointF> points_;
};

} // namespace plomet
