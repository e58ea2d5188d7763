// Saves two different seals into one description file, alternately, until
// killed; prints "saved" after each save. The kill test runs it and kills
// it at random moments.
#include "formats/PmfFile.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_loop FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    plomet::PmfValues a;
    a.set("rText", QStringLiteral("中山Qorvel软件有限公司"));
    a.set("pText1", QStringLiteral("专用章"));
    a.set("FontName", QStringLiteral("黑体"));
    a.set("FontSize", 12);
    a.set("Width", 2055);
    a.set("Height", 2055);
    plomet::PmfValues b = a;
    b.set("rText", QString(3000, QChar(u'公')));   // a much longer file
    b.set("Degree", 45);
    for (long i = 0;; ++i) {
        plomet::SavePMF(i % 2 ? b : a, path);
        std::puts("saved");
        std::fflush(stdout);
    }
}
