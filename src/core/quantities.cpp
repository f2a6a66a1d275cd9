#include "quantities.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "functions.h"
#include "number_text.h"
#include "result_writer.h"
#include "text.h"

namespace ravo {

std::u16string withGroups(long long whole) {
    std::string digits = std::to_string(whole < 0 ? -whole : whole);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return asciiToU16((whole < 0 ? "-" : "") + out);
}

std::u16string gradeOf(const PileSection& s) { return u"SP-" + std::u16string(s.name); }

std::optional<double> typedDecimal(std::u16string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && isTypedBlank(text[b])) ++b;
    while (e > b && isTypedBlank(text[e - 1])) --e;
    std::string ascii;
    int points = 0, digits = 0;
    for (size_t i = b; i < e; ++i) {
        const char16_t c = typedAscii(text[i]);
        if (c >= u'0' && c <= u'9') ++digits;
        else if (c == u'.') ++points;
        else return std::nullopt;
        ascii += static_cast<char>(c);
    }
    if (digits == 0 || points > 1) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return v;
}

PileLength parsePileLength(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), isTypedBlank)) return {};
    const std::optional<double> v = typedDecimal(text);
    if (!v || !(*v > 0) || *v > kLongestPile) return {LengthState::Invalid, 0};
    return {LengthState::Valid, *v};
}

std::u16string metresText(double metres) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", metres);
    std::string s = buf;
    while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
    return asciiToU16(s);
}

std::u16string massText(double kg) {
    const long long tenths = std::llround(kg * 10);
    const long long whole = tenths / 10, tenth = std::llabs(tenths % 10);
    return withGroups(whole) + u"." + asciiToU16(std::to_string(tenth));
}

namespace {

std::u16string closingWidthText(double widthMm) {
    // To 0.1 mm, without a trailing ".0": the width the steel is cut to.
    const long long tenths = std::llround(widthMm * 10);
    std::u16string text = asciiToU16(std::to_string(tenths / 10));
    if (tenths % 10 != 0) text += u"." + asciiToU16(std::to_string(tenths % 10));
    return text;
}

}  // namespace

double tenthRounded(double v) { return static_cast<double>(std::llround(v * 10)) / 10; }

QuantityTable quantitiesFor(const std::vector<WallPiece>& pieces, const PileSection& section, double lengthM) {
    QuantityTable t;
    t.rows.push_back({u"鋼矢板", gradeOf(section), 0, section.massKgPerM, 0});
    // Rows by what the table prints: a closing pile's row by its width to
    // 0.1 mm, its unit mass that width's share of the pile's, to 0.1 kg/m.
    auto rowFor = [&](const std::u16string& name, const std::u16string& grade, double unitMass) -> QuantityRow& {
        for (QuantityRow& r : t.rows)
            if (r.name == name && r.grade == grade) return r;
        t.rows.push_back({name, grade, 0, unitMass, 0});
        return t.rows.back();
    };
    for (const WallPiece& p : pieces) {
        QuantityRow* row = &t.rows.front();
        if (p.kind == PieceKind::Corner) {
            row = &rowFor(cornerName(p.drawnTurn), gradeOf(section), section.massKgPerM);
        } else if (p.outline != PieceOutline::Normal) {
            row = &rowFor(cornerName(90), gradeOf(section), section.massKgPerM);  // 起点, 終点
        } else if (p.kind == PieceKind::Closing) {
            const std::u16string width = closingWidthText(p.width);
            const double printed = static_cast<double>(std::llround(p.width * 10)) / 10;
            row = &rowFor(u"調整矢板", gradeOf(section) + kWordGap + u"W=" + width,
                          tenthRounded(section.massKgPerM * printed / section.widthMm));
        }
        ++row->count;
    }
    // Each row multiplies out as printed; the total is the sum of the rows
    // as printed.
    for (QuantityRow& r : t.rows) {
        r.lengthM = lengthM;
        r.mass = r.unitMass * lengthM * r.count;
        t.count += r.count;
        t.mass += tenthRounded(r.mass);
    }
    return t;
}

std::u16string massLine(const QuantityTable& table, const PileLength& length) {
    switch (length.state) {
    case LengthState::Empty: return u"質量: 矢板長 L（m）を入れると計算します";
    case LengthState::Invalid:
        return u"質量は計算できません: L は 0 より大きく " + asciiToU16(std::to_string(std::llround(kLongestPile))) +
               u" m 以下の数で入れてください";
    case LengthState::Valid: break;
    }
    if (table.count == 0) return u"質量 0.0 kg";
    return u"質量 " + massText(table.mass) + u" kg（L=" + metresText(length.metres) + u" m、コーナー板を除く）";
}

std::u16string wallLetter(int32_t wall) {
    std::u16string s;
    for (int32_t k = wall + 1; k > 0; k = (k - 1) / 26) s.insert(s.begin(), static_cast<char16_t>(u'A' + (k - 1) % 26));
    return s;
}

}  // namespace ravo
