// Makes the Huffman codes palette PNGs are compressed with, at build time:
// the histogram of a sample picture made of what seals are made of (runs of
// no ink and of full ink, anti-aliased edges of every slope and bend:
// squares at many turns and discs, one byte a pixel, 300 pixels wide as a
// seal at 210 dpi), made into igzip's tables and written out as bytes for a
// C++ file to include. Qt's painter draws it: the codes need a sample like
// a seal, not the seal's own rasteriser, so this tool links no code of ours
// (and builds alike with every preset's sanitizers).
// Usage: make_huffman_tables OUT.inc
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <QtMath>
#include <cmath>
#include <cstdio>
#include <isa-l/igzip_lib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.inc\n", argv[0]);
        return 2;
    }
    QImage sample(300, 300, QImage::Format_Alpha8);
    sample.fill(0);
    {
        QPainter painter(&sample);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        for (int i = 0; i < 36; ++i) {
            QPainterPath square;
            square.addRect(QRectF(-6 - i % 5, -6 - i % 7, 12 + i % 5 * 2, 6 + i % 3 * 2));
            const double a = i * 10.0, r = 40 + (i % 4) * 18;
            painter.setTransform(QTransform()
                                     .translate(150 + r * std::cos(qDegreesToRadians(a)),
                                                150 + r * std::sin(qDegreesToRadians(a)))
                                     .rotate(a * 1.7));
            painter.drawPath(square);
            painter.resetTransform();
            painter.drawEllipse(QPointF(150 + (i % 6) * 9 - 25, 150 + (i / 6) * 9 - 25), 2.3 + i % 4, 2.3 + i % 3);
        }
    }
    // The rows as the PNG has them: the filter byte "none" before each.
    QByteArray raw;
    for (int y = 0; y < sample.height(); ++y) {
        raw.append('\0');
        raw.append(reinterpret_cast<const char*>(sample.constScanLine(y)), sample.width());
    }
    isal_huff_histogram histogram{};
    isal_update_histogram(reinterpret_cast<uint8_t*>(raw.data()), int(raw.size()), &histogram);
    isal_hufftables tables{};
    if (isal_create_hufftables(&tables, &histogram) != 0) {
        std::fprintf(stderr, "make_huffman_tables: igzip made no tables\n");
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Made by make_huffman_tables.\nstatic const unsigned char kSealHuffmanTables[] = {");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&tables);
    for (size_t i = 0; i < sizeof tables; ++i)
        std::fprintf(out, "%s%u,", i % 24 == 0 ? "\n" : "", unsigned(bytes[i]));
    std::fprintf(out, "\n};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
