#pragma once
// Worn ink: how much of the seal's ink a pressed stamp leaves, as a field over
// the seal's own coordinates (twips), so every resolution and every output
// shows the same specks. The model is described in Wear.cpp.
#include "seal/DrawingModel.h"
#include <QImage>
#include <QPointF>
#include <cstdint>
#include <vector>

namespace plomet {

class WearField {
public:
    // level 0..100 (0: no wear; callers leave the picture alone then), any
    // seed. The field is centred on the surface's middle and sized by its
    // smaller side, like the ring.
    WearField(int level, int32_t seed, double widthTwips, double heightTwips);

    // One row of mask values (0 = no ink left, 1 = all of it) for device
    // pixels x0 .. x0 + count - 1 of the row at y, where pixel (i, j) covers
    // twips [(i - origin.x) / s, (i + 1 - origin.x) / s) and likewise in y,
    // s being pixelsPerTwip. Each value is the mean over the pixel's area
    // (sampled finely enough for the finest specks). Only the pixels with
    // needed[i] set are computed when needed is given; the others read 1.
    void maskRow(int y, int x0, int count, double pixelsPerTwip, QPointF origin, float* out,
                 const uint8_t* needed = nullptr);

    // The same for the n pixels xs (in increasing order) of row y; out[k]
    // is the mask of pixel xs[k].
    void maskPixels(int y, const int* xs, int n, double pixelsPerTwip, QPointF origin, float* out);

    // Readies the field for rows of pixels x0 .. x0 + count - 1 at this
    // resolution and origin (what a column of pixels needs is worked out once,
    // not row by row). Optional: the calls above do it for the pixels they
    // are given, widening what was readied before.
    void prepare(int x0, int count, double pixelsPerTwip, QPointF origin);

    int level() const { return level_; }

    // The calls above keep their work from row to row in the field: one
    // field serves one thread at a time.

private:
    struct Octave {
        double cell;        // lattice spacing, twips
        double weight;
        uint64_t key;       // from the seeded engine
    };
    // One scale's lattice values along the lattice rows j and j + 1 that the
    // current sample row lies between, for the lattice columns first, first + 1, ...
    struct Rows {
        Octave octave{};
        int64_t first = 0;
        int64_t j = 0;
        bool made = false;
        double fy = 0;                          // faded distance below row j
        std::vector<double> lower, upper;       // the values on rows j and j + 1
        std::vector<double> columns;            // between them at fy (broad scales)
    };
    double value(const Octave& o, int64_t i, int64_t j) const;
    void startRow(Rows& rows, double y) const;
    int level_;
    double cx_, cy_, radius_;
    double dirX_, dirY_;      // pressure falls off towards this direction
    double threshold_, softness_, toneDepth_, pressureDepth_;
    std::vector<Octave> octaves_;
    Octave tone_;             // broad, uneven inking

    // What the readied pixel columns need: columns columnsFrom_ .. columnsTo_ - 1
    // at columnsScale_ pixels per twip, samples_ samples across each.
    double columnsScale_ = 0, columnsOriginX_ = 0;
    int columnsFrom_ = 0, columnsTo_ = 0, samples_ = 1;
    std::vector<int32_t> sampleNodes_;         // each sample's cell (its left node)
    std::vector<double> sampleFades_;          // and how far into it, faded
    std::vector<double> nodeX_;                // each node's x, twips from the centre
    std::vector<int32_t> nodeBroad_[3];        // its cell in each broad scale
    std::vector<double> nodeBroadFades_[3];
    Rows fineRows_, broadRows_[3];
    std::vector<uint8_t> nodeNeeded_;
    std::vector<double> nodeLevels_, nodeTones_;
};

// Applies the model's wear (DrawingModel::aging) to pixels painted from the
// model with its top-left corner at device pixel origin and pixelsPerTwip
// pixels per twip: each pixel's ink is scaled by the mask. Opaque images
// (RGB32) are taken as ink over the uniform colour background; premultiplied
// ARGB32 images as ink over nothing. Pixels without ink are not touched.
void applyWear(QImage& image, const DrawingModel& model, double pixelsPerTwip, QPointF origin,
               QRgb background);
void applyWearPremultiplied(QImage& image, const DrawingModel& model, double pixelsPerTwip, QPointF origin);
// The same on ink alone as one byte of coverage a pixel (Format_Alpha8 or
// Grayscale8): the bytes the premultiplied picture's alpha would have.
void applyWearAlpha(QImage& image, const DrawingModel& model, double pixelsPerTwip, QPointF origin);

// The wear as a grey image over the whole surface at dpi (255 keeps all the
// ink, 0 none): the soft mask of the vector files. Null when there is no wear.
QImage wearMask(const DrawingModel& model, double dpi);

} // namespace plomet
