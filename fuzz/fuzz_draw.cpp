// Fuzzes Draw: a sequence of property writes (any of the fourteen, width and
// height) with hostile values — NaN, infinities, ±1e308, negative sizes,
// 2^31−1 blanks, empty and 10,000-character texts — and Draws in between.
// The drawing must bound its own time and memory; nothing here clamps.
//
// Input: a list of operations. Each starts with one byte: the property
// (0..15) or 16 for a Draw; the value follows in the bytes after it.
#include "seal/Errors.h"
#include "seal/Fonts.h"
#include "seal/Plomet.h"

#include <QGuiApplication>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using namespace plomet;

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool empty() const { return p_ >= end_; }
    uint8_t byte() { return empty() ? 0 : *p_++; }
    template <class T>
    T raw()
    {
        uint8_t buf[sizeof(T)] = {};
        for (size_t i = 0; i < sizeof(T); ++i)
            buf[i] = byte();
        T v;
        std::memcpy(&v, buf, sizeof v);
        return v;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The values worth trying first; anything else comes from raw bytes.
const double kSpecials[] = {kNaN, kInf, -kInf, 1e308, -1e308, 0, -0.0, -1, -2, 1, 12, 2055, 32767, -32768,
                            2147483647.0, -2147483648.0, 1e9, 1e-45, 3.4e38, -3.4e38, 0.5, 359.9, 1e15, -5};

double number(Input& in)
{
    const uint8_t sel = in.byte();
    if (sel < std::size(kSpecials))
        return kSpecials[sel];
    return in.raw<double>();
}

float single(Input& in)
{
    const uint8_t sel = in.byte();
    if (sel < std::size(kSpecials))
        return float(kSpecials[sel]);
    return in.raw<float>();
}

int32_t long32(Input& in)
{
    const uint8_t sel = in.byte();
    const int32_t specials[] = {0, 1, -1, 2147483647, -2147483647 - 1, 32767, 100000, 255, 16777215,
                                int32_t(0x80000005u), 1000, 40};
    if (sel < std::size(specials))
        return specials[sel];
    return in.raw<int32_t>();
}

QString text(Input& in)
{
    // Characters that have broken text code before: CJK, the star, Latin,
    // blanks, combining marks, surrogate pairs and lone halves, controls.
    const char16_t alphabet[] = {u'中', u'★', u'A', u' ', u'\t', 0x0301, 0xD83D, 0xDE00, 0xDC00, 0xD800,
                                 u'\n', u'\r', 0, 0xFEFF, 0x202E, u'公', u'章', 0xFFFF, u'"', u','};
    const uint8_t len = in.byte();
    if (len == 0xFF)
        return QString(10000, QChar(u'中'));
    if (len == 0xFE)
        return QString(10000, QChar(u' '));
    QString s;
    for (int i = 0; i < len % 48; ++i)
        s += QChar(alphabet[in.byte() % std::size(alphabet)]);
    return s;
}

void apply(Plomet& s, uint8_t op, Input& in)
{
    switch (op) {
    case 0: s.setShowStar(in.byte() & 1); break;
    case 1: s.setShowDate(in.byte() & 1); break;
    case 2: s.setFontBold(in.byte() & 1); break;
    case 3: s.setMidSign(text(in)); break;
    case 4: s.setStarSize(in.raw<int16_t>()); break;
    case 5: s.setDegree(number(in)); break;
    case 6: s.setPText(text(in)); break;
    case 7: s.setPText1(text(in)); break;
    case 8: s.setForeColor(long32(in)); break;
    case 9: s.setFontName(text(in)); break;
    case 10: s.setFontSize(single(in)); break;
    case 11: s.setSpace(long32(in)); break;
    case 12: s.setBackColor(long32(in)); break;
    case 13: s.setRText(text(in)); break;
    case 14: s.setWidth(single(in)); break;
    case 15: s.setHeight(single(in)); break;
    default: s.Draw(); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_draw";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    installFaceSubstitutions();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    Plomet seal;
    seal.InitProperties();
    int ops = 0;
    // A bounded number of operations per input keeps the time per input a
    // matter of the drawing, not of the input's length.
    while (!in.empty() && ops++ < 64) {
        try {
            apply(seal, in.byte() % 17, in);
        } catch (const PlometError&) {
            // A refusal with a message is an acceptable answer.
        }
    }
    try {
        seal.Draw();
    } catch (const PlometError&) {
    }
    // The picture is always there after a Draw.
    if (!seal.image())
        __builtin_trap();
    // Between two user actions the program's event loop runs; Qt's font
    // cache frees unused font engines from there (on a timer). Without it
    // the engines of every size ever drawn pile up.
    QCoreApplication::processEvents();
    return 0;
}
