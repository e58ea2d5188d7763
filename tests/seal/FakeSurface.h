#pragma once
// A surface with fixed, hand-checkable text widths: every character is
// `charWidth` twips wide. Records what each Print saw: position, text and
// the GDI font selected at that moment.
#include "seal/RecordingSurface.h"
#include <vector>

namespace plomet::test {

struct PrintCall {
    double x = 0, y = 0;
    QString text;
    bool gdiFont = false;
    LogFont font;          // valid when gdiFont
};

class FakeSurface : public RecordingSurface {
public:
    explicit FakeSurface(double charWidth = 200) : charWidth_(charWidth) {}
    double TextWidth(const QString& text) const override { return charWidth_ * text.size(); }
    std::vector<double> PrefixWidths(const QString& text) const override
    {
        std::vector<double> out;
        for (qsizetype i = 0; i <= text.size(); ++i)
            out.push_back(charWidth_ * i);
        return out;
    }
    void Print(const QString& text) override
    {
        PrintCall call;
        call.x = CurrentX();
        call.y = CurrentY();
        call.text = text;
        if (const LogFont* lf = hDC().selectedFont()) {
            call.gdiFont = true;
            call.font = *lf;
        }
        calls.push_back(call);
        RecordingSurface::Print(text);
    }
    std::vector<PrintCall> calls;
private:
    double charWidth_;
};

} // namespace plomet::test
