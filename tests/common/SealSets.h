#pragma once
// Sets of distinct seals for benchmarks and the memory test, generated the
// same way on every machine: company names from a city, two characters drawn
// from a pool of common ones, a trade and a legal form; set B also varies the
// face, size, weight, colour and spacing. A real batch is a city's worth of
// different names, each bringing characters the caches have not seen.
#include "seal/Plomet.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <vector>

namespace plomet::test {

struct SealSpec {
    QString rText;
    QString fontName = QStringLiteral("黑体");
    float fontSize = 12;
    bool fontBold = true;
    int32_t foreColor = 255;   // 0x00BBGGRR
    int32_t space = 1;

    // Assigns the spec to a seal that holds the new-instance values.
    void applyTo(Plomet& seal) const
    {
        seal.setRText(rText);
        seal.setFontName(fontName);
        seal.setFontSize(fontSize);
        seal.setFontBold(fontBold);
        seal.setForeColor(foreColor);
        seal.setSpace(space);
    }
};

enum class SealSet {
    A,   // all 黑体 12 pt bold, red, spacing 1
    B,   // 黑体/宋体/楷体/仿宋, 10 to 14 pt, bold or not, three colours, spacing 0 to 2
};

// count distinct seals of the set; first skips that many (another slice of
// the same sequence: seals no earlier slice holds).
inline std::vector<SealSpec> sealSet(SealSet set, int count, int first = 0)
{
    static const char* const cities[] = {
        "北京", "上海", "广州", "深圳", "杭州", "南京", "成都", "武汉", "西安", "重庆",
        "天津", "苏州", "长沙", "郑州", "青岛", "厦门", "合肥", "昆明", "济南", "福州",
        "沈阳", "大连", "哈尔滨", "长春", "南昌", "贵阳", "南宁", "太原", "石家庄", "兰州"};
    static const QString pool = QStringLiteral(
        "华信恒通鑫源宏达盛世金鼎博远瑞丰永泰嘉禾创新天成汇智东方明德立诚广利安顺"
        "正和聚德同心兴业振宇佳美伟业卓越润泽新元宇航海川云峰星辰锦程福满祥和康宁"
        "中科实佳龙腾凤凰飞扬志远万象千禧百川三维五洲四海九州八方长江黄河泰山昆仑"
        "光明阳光碧水青山绿野蓝天白云红日紫金银河晨曦春秋夏冬松柏梅兰竹菊荣昌茂隆");
    static const char* const trades[] = {
        "科技", "贸易", "建筑工程", "电子", "食品", "物流", "文化传媒", "医药", "机械设备", "网络技术",
        "环保", "餐饮管理", "信息咨询", "新能源", "农业开发", "房地产开发", "教育科技", "服装", "汽车服务", "印刷"};
    static const char* const forms[] = {"有限公司", "股份有限公司", "有限责任公司"};
    static const char* const faces[] = {"黑体", "宋体", "楷体", "仿宋"};
    static const int32_t colors[] = {255, 0x0000C0, 0xFF0000};   // red, dark red, blue

    std::vector<SealSpec> out;
    out.reserve(static_cast<size_t>(count));
    QSet<QString> seen;
    uint64_t state = 0x9E3779B97F4A7C15ull;   // one fixed sequence
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    };
    const qsizetype poolSize = pool.size();
    for (int n = 0; static_cast<int>(out.size()) < count;) {
        SealSpec s;
        s.rText = QString::fromUtf8(cities[next() % std::size(cities)]) + pool[next() % poolSize]
                + pool[next() % poolSize] + QString::fromUtf8(trades[next() % std::size(trades)])
                + QString::fromUtf8(forms[next() % std::size(forms)]);
        const uint32_t face = next(), size = next(), bold = next(), color = next(), space = next();
        if (seen.contains(s.rText))
            continue;
        seen.insert(s.rText);
        if (n++ < first)
            continue;
        if (set == SealSet::B) {
            s.fontName = QString::fromUtf8(faces[face % std::size(faces)]);
            s.fontSize = 10.0f + 0.5f * float(size % 9);   // 10, 10.5 ... 14
            s.fontBold = bold % 2 == 0;
            s.foreColor = colors[color % std::size(colors)];
            s.space = static_cast<int32_t>(space % 3);
        }
        out.push_back(s);
    }
    return out;
}

} // namespace plomet::test
