#include "supports.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "functions.h"
#include "outlines.h"
#include "plan.h"
#include "sheet.h"
#include "text.h"
#include "wall_geometry.h"
#include "x87.h"

namespace ravo {

namespace {

// "300", "10.5": a section's figure as its name gives it.
std::u16string figure(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return asciiToU16(buf);
}

std::u16string metresLimit() { return asciiToU16(std::to_string(std::llround(kLongestPile))); }

using P = WallPoint;

// A frame in the drawing: a point and two unit axes; where (s, t) lies, in
// extended precision and rounded once, as the pieces are placed.
struct Frame {
    long double ox = 0, oy = 0, ux = 1, uy = 0, vx = 0, vy = 1;
    P at(long double s, long double t) const {
        return {static_cast<double>(ox + s * ux + t * vx), static_cast<double>(oy + s * uy + t * vy)};
    }
    WallSegment line(long double s1, long double t1, long double s2, long double t2) const {
        const P a = at(s1, t1), b = at(s2, t2);
        return {a.x, a.y, b.x, b.y};
    }
    void box(std::vector<WallSegment>& out, long double s1, long double t1, long double s2, long double t2) const {
        out.push_back(line(s1, t1, s2, t1));
        out.push_back(line(s2, t1, s2, t2));
        out.push_back(line(s2, t2, s1, t2));
        out.push_back(line(s1, t2, s1, t1));
    }
};

// Where two legs' lines meet (the corner between them).
std::optional<P> meet(const WallLeg& a, const WallLeg& b) {
    const long double ax = a.x2 - a.x1, ay = a.y2 - a.y1, bx = b.x2 - b.x1, by = b.y2 - b.y1;
    const long double d = ax * by - ay * bx;
    if (d == 0) return std::nullopt;
    const long double t = ((b.x1 - a.x1) * by - (b.y1 - a.y1) * bx) / d;
    return P{static_cast<double>(a.x1 + t * ax), static_cast<double>(a.y1 + t * ay)};
}

// Whether two legs turn at a right angle, within what makes a leg straight.
bool square(const WallLeg& a, const WallLeg& b) {
    const double la = distance2D(a.x1, a.y1, a.x2, a.y2), lb = distance2D(b.x1, b.y1, b.x2, b.y2);
    if (!(la > 0) || !(lb > 0)) return false;
    const long double dot = (static_cast<long double>(a.x2 - a.x1) * (b.x2 - b.x1) +
                             static_cast<long double>(a.y2 - a.y1) * (b.y2 - b.y1)) /
                            (static_cast<long double>(la) * lb);
    return std::fabs(static_cast<double>(dot)) <= static_cast<double>(detail::kTanStraight);
}

constexpr const char16_t* kOnlyShapes = u"支保工は長方形と円形の締切に作図します";

// The supports of one rectangular cofferdam with its corners `c` in the
// order laid, counter-clockwise when `ccw`; false (and why) where they do
// not fit inside.
bool rectangle(Supports& out, const P (&c)[4], bool ccw, double reach, const SupportOptions& options,
               std::u16string& why) {
    const double H = options.member.h;
    const double a = distance2D(c[3].x, c[3].y, c[0].x, c[0].y), b = distance2D(c[0].x, c[0].y, c[1].x, c[1].y);
    Frame f;
    f.ox = c[3].x, f.oy = c[3].y;
    f.ux = (static_cast<long double>(c[0].x) - c[3].x) / a, f.uy = (static_cast<long double>(c[0].y) - c[3].y) / a;
    // Inwards: left of the first leg on a counter-clockwise loop.
    f.vx = ccw ? -f.uy : f.uy, f.vy = ccw ? f.ux : -f.ux;
    const long double in = static_cast<long double>(reach) + H / 2;  // the centre lines' inset
    const long double la = a - 2 * in, lb = b - 2 * in;               // their lengths
    const long double cb = options.brace;
    if (!(std::min(la, lb) > 2 * static_cast<long double>(H))) {
        why = u"支保工: 締切が小さく、部材が入りません";
        return false;
    }
    // A brace's inner edge must meet both wales, and the braces of one side
    // must not meet each other.
    const long double leastBrace = H * (1 + 1 / x87::sqrt(2.0L));
    if (cb > 0 && (cb <= leastBrace || 2 * cb > std::min(la, lb))) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(std::ceil(leastBrace) / 1000));
        why = u"支保工: 火打ち c は " + asciiToU16(buf) + u" m より長く、短い辺の半分以下にしてください";
        return false;
    }
    const int32_t na = strutsAlong(static_cast<double>(la), options.spacing, options.brace);
    const int32_t nb = strutsAlong(static_cast<double>(lb), options.spacing, options.brace);
    const int64_t members = static_cast<int64_t>(out.members.size()) + 1 + na + nb + (cb > 0 ? 4 : 0) +
                            static_cast<int64_t>(na) * nb;
    if (members > kMostSupportMembers) {
        why = u"支保工: 部材が " + asciiToU16(std::to_string(members)) + u" 本になり、" +
              withGroups(kMostSupportMembers) + u" 本を超えるため作図しません";
        return false;
    }
    const long double s0 = in, t0 = in, s1 = in + la, t1 = in + lb;  // the centre rectangle
    SupportMember wale{PieceKind::Wale, {}, static_cast<double>(2 * (la + lb))};
    f.box(wale.lines, s0 - H / 2, t0 - H / 2, s1 + H / 2, t1 + H / 2);  // on the piles' inner face
    f.box(wale.lines, s0 + H / 2, t0 + H / 2, s1 - H / 2, t1 - H / 2);
    out.members.push_back(std::move(wale));
    std::vector<long double> along, across;  // where the struts stand on each side's centre line
    for (int32_t i = 1; i <= na; ++i) along.push_back(s0 + la * i / (na + 1));
    for (int32_t j = 1; j <= nb; ++j) across.push_back(t0 + lb * j / (nb + 1));
    // Struts standing along the first side span the other, between the
    // wales' inner faces.
    for (long double s : along) {
        SupportMember m{PieceKind::Strut, {}, static_cast<double>(lb - H)};
        m.lines.push_back(f.line(s - H / 2, t0 + H / 2, s - H / 2, t1 - H / 2));
        m.lines.push_back(f.line(s + H / 2, t0 + H / 2, s + H / 2, t1 - H / 2));
        out.members.push_back(std::move(m));
    }
    for (long double t : across) {
        SupportMember m{PieceKind::Strut, {}, static_cast<double>(la - H)};
        m.lines.push_back(f.line(s0 + H / 2, t - H / 2, s1 - H / 2, t - H / 2));
        m.lines.push_back(f.line(s0 + H / 2, t + H / 2, s1 - H / 2, t + H / 2));
        out.members.push_back(std::move(m));
    }
    if (cb > 0) {
        // At 45° from c along one wale's centre line to c along the other:
        // in the corner's own frame (x, y along the wales inwards) its edges
        // are x + y = c ± H/√2, between the inner faces x, y = H/2.
        const long double r2 = x87::sqrt(2.0L), length = r2 * (cb - H);
        const long double corners[4][4] = {{s0, t0, 1, 1}, {s1, t0, -1, 1}, {s1, t1, -1, -1}, {s0, t1, 1, -1}};
        for (const auto& k : corners) {
            SupportMember m{PieceKind::Brace, {}, static_cast<double>(length)};
            for (long double e : {cb - H / r2, cb + H / r2}) {
                const long double lo = H / 2, hi = e - H / 2;
                m.lines.push_back(f.line(k[0] + k[2] * lo, k[1] + k[3] * hi, k[0] + k[2] * hi, k[1] + k[3] * lo));
            }
            out.members.push_back(std::move(m));
        }
    }
    for (long double s : along)
        for (long double t : across) {
            SupportMember m{PieceKind::Post, {}, 0};
            f.box(m.lines, s - H / 2, t - H / 2, s + H / 2, t + H / 2);
            out.members.push_back(std::move(m));
        }
    // The label in the middle of the first bay, reading along the longer side.
    const long double ls = na > 0 ? s0 + la / (na + 1) / 2 : s0 + la / 2;
    const long double lt = nb > 0 ? t0 + lb / (nb + 1) / 2 : t0 + lb / 2;
    const P at = f.at(ls, lt), mid = f.at(s0 + la / 2, t0 + lb / 2);
    const bool longFirst = la >= lb;
    const auto [bx, by] = uprightBaseline(static_cast<double>(longFirst ? f.ux : f.vx),
                                          static_cast<double>(longFirst ? f.uy : f.vy));
    const long double room = (longFirst ? (na > 0 ? la / (na + 1) : la) : (nb > 0 ? lb / (nb + 1) : lb)) - H;
    out.labels.push_back({at.x, at.y, static_cast<double>(room), mid.x, mid.y, bx, by});
    return true;
}

// A ring wale about (cx, cy) on the inner face of a circle of joints `r`.
bool ring(Supports& out, double cx, double cy, double r, double reach, const SupportOptions& options, std::u16string& why) {
    const double H = options.member.h;
    const long double rc = static_cast<long double>(r) - reach - H / 2;
    if (!(rc > H)) {
        why = u"支保工: 締切が小さく、部材が入りません";
        return false;
    }
    // Chords within about half a millimetre of the circles.
    const long double outer = rc + H / 2;
    const int32_t n = std::max<int32_t>(64, 4 * static_cast<int32_t>(std::ceil(kPiFull * x87::sqrt(outer) / 4)));
    SupportMember wale{PieceKind::Wale, {}, static_cast<double>(2 * kPiFull * rc)};
    for (long double radius : {outer, rc - H / 2}) {
        P prev{};
        for (int32_t i = 0; i <= n; ++i) {
            long double s, c;
            x87::sinCos(2 * kPiFull * (i % n) / n, s, c);
            const P p{static_cast<double>(cx + radius * c), static_cast<double>(cy + radius * s)};
            if (i > 0) wale.lines.push_back({prev.x, prev.y, p.x, p.y});
            prev = p;
        }
    }
    out.members.push_back(std::move(wale));
    out.labels.push_back({cx, cy, static_cast<double>(2 * (rc - H / 2)), cx, cy, 1, 0});
    return true;
}

}  // namespace

std::u16string memberName(const HSection& s) {
    return u"H-" + figure(s.h) + u"×" + figure(s.b) + u"×" + figure(s.t1) + u"×" + figure(s.t2);
}

HSections parseHSections(std::string_view bytes) {
    HSections out;
    size_t line = 0;
    while (!bytes.empty()) {
        const size_t nl = bytes.find('\n');
        std::string_view text = bytes.substr(0, nl);
        bytes = nl == std::string_view::npos ? std::string_view() : bytes.substr(nl + 1);
        ++line;
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
        size_t b = text.find_first_not_of(" \t");
        if (b == std::string_view::npos || text[b] == '#') continue;
        text.remove_prefix(b);
        HSection s;
        double* figures[] = {&s.h, &s.b, &s.t1, &s.t2, &s.r, &s.kgPerM};
        bool ok = true;
        for (double* v : figures) {
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *v);
            if (ec != std::errc() || !(*v > 0) || !std::isfinite(*v)) {
                ok = false;
                break;
            }
            text.remove_prefix(static_cast<size_t>(end - text.data()));
            const size_t next = text.find_first_not_of(" \t");
            text.remove_prefix(next == std::string_view::npos ? text.size() : next);
        }
        if (!ok || !(s.b > 0 && s.h < 2000)) {
            out.list.clear();
            out.fault = u"部材データ " + std::u16string(kHSectionsFile) + u" の " + asciiToU16(std::to_string(line)) +
                        u" 行目が読めません";
            return out;
        }
        s.source = utf8ToU16(text);
        out.list.push_back(std::move(s));
    }
    if (out.list.empty()) out.fault = u"部材データ " + std::u16string(kHSectionsFile) + u" に部材がありません";
    return out;
}

size_t defaultMember(const std::vector<HSection>& list) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].h == kDefaultMemberDepth) return i;
    return 0;
}

SupportOptions readSupports(const SupportTyped& typed, const std::vector<HSection>& members) {
    SupportOptions options;
    options.on = typed.on;
    if (members.empty()) {
        options.fault = u"支保工: 部材データがありません";
        return options;
    }
    options.member = members[typed.member < members.size() ? typed.member : defaultMember(members)];
    // Whatever is wrong draws nothing: no levels, and why.
    auto refuse = [&](std::u16string why) {
        options.levels.clear();
        options.fault = std::move(why);
        return options;
    };
    const std::u16string levelsFault =
        u"支保工: 段は 0 より深く " + metresLimit() + u" m までの深さ（m）を空白か「,」で区切って入れてください";
    // The depths, parted by blanks or commas (either width).
    std::u16string_view rest = typed.levels;
    auto gap = [](char16_t c) { return isTypedBlank(c) || c == u',' || c == u'，' || c == u'、'; };
    while (!rest.empty()) {
        const size_t end = std::find_if(rest.begin(), rest.end(), gap) - rest.begin();
        if (end > 0) {
            const std::optional<double> d = typedDecimal(rest.substr(0, end));
            if (!d || !(*d > 0) || *d > kLongestPile) return refuse(levelsFault);
            options.levels.push_back(*d);
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    if (options.levels.empty()) return refuse(levelsFault);
    std::sort(options.levels.begin(), options.levels.end());
    if (std::adjacent_find(options.levels.begin(), options.levels.end()) != options.levels.end())
        return refuse(u"支保工: 同じ深さの段が 2 つあります");
    const std::optional<double> bay = typedDecimal(typed.spacing);
    if (!bay || !(*bay > 0) || *bay > kLongestPile)
        return refuse(u"支保工: 間隔は 0 より大きく " + metresLimit() + u" m 以下の数（m）で入れてください");
    const std::optional<double> leg = typedDecimal(typed.brace);
    if (!leg || *leg > kLongestPile)
        return refuse(u"支保工: 火打ちは 0 以上 " + metresLimit() + u" m 以下の数（m）で入れてください（0 で火打ちなし）");
    options.spacing = *bay * 1000, options.brace = *leg * 1000;
    return options;
}

int32_t strutsAlong(double length, double spacing, double brace) {
    if (!(length - 2 * brace > spacing)) return 0;
    return static_cast<int32_t>(std::ceil(length / spacing)) - 1;
}

Supports planSupports(const Plan& plan, const SupportOptions& options, const Outlines& outlines, int32_t orientation) {
    Supports out;
    if (!options.on) return out;
    if (!options.fault.empty()) {
        out.why = options.fault;
        return out;
    }
    out.levels = options.levels;
    out.section = options.member;
    // The two-point run is never a cofferdam, and a wall laid nowhere has
    // its own refusal: nothing to add of either.
    if (!plan.wall || !plan.laid()) return out;
    size_t circles = 0, at = 0;  // the layout's legs run wall by wall
    std::u16string why;
    const auto& allLegs = plan.layout.legs;
    for (size_t k = 0; k < plan.drawn.size(); ++k) {
        const WallPath& drawn = plan.drawn[k];
        std::vector<const WallLeg*> legs;
        for (; at < allLegs.size() && allLegs[at].wall == static_cast<int32_t>(k); ++at) legs.push_back(&allLegs[at]);
        const bool ccw = drawn.closed && counterClockwise(drawn);
        const double reach = outlines.faceReach(ccw, orientation);
        if (drawn.circle()) {
            const size_t ci = circles++;
            if (ci < plan.layout.circles.size() && !drawn.arcs.empty() &&
                ring(out, drawn.arcs[0].cx, drawn.arcs[0].cy, plan.layout.circles[ci].joints, reach, options, why))
                out.walls.push_back(static_cast<int32_t>(k));
            continue;
        }
        bool rect = drawn.closed && legs.size() == 4;
        for (size_t i = 0; rect && i < 4; ++i) rect = !legs[i]->curved && square(*legs[i], *legs[(i + 1) % 4]);
        P corners[4];
        for (size_t i = 0; rect && i < 4; ++i) {
            const std::optional<P> c = meet(*legs[i], *legs[(i + 1) % 4]);
            rect = c.has_value();
            if (c) corners[i] = *c;
        }
        if (!rect) {
            if (why.empty()) why = kOnlyShapes;
            continue;
        }
        if (rectangle(out, corners, ccw, reach, options, why)) out.walls.push_back(static_cast<int32_t>(k));
    }
    out.why = why;
    return out;
}

std::vector<QuantityRow> supportRows(const Supports& s, double pileLengthM) {
    std::vector<QuantityRow> rows;
    const std::u16string grade = memberName(s.section);
    const int32_t levels = static_cast<int32_t>(s.levels.size());
    // The lengths as printed, to the millimetre; the masses from them.
    auto printed = [](double mm) { return static_cast<double>(std::llround(mm)) / 1000; };
    auto rowFor = [&](const std::u16string& name, double lengthM, const char16_t* unit) -> QuantityRow& {
        for (QuantityRow& r : rows)
            if (r.name == name && r.lengthM == lengthM) return r;
        QuantityRow r{name, grade, 0, s.section.kgPerM, 0, lengthM};
        r.unit = unit;
        rows.push_back(std::move(r));
        return rows.back();
    };
    // By kind first, each kind's rows in the order their members come; a
    // level's members stand at every level, the king posts once.
    struct Kind {
        PieceKind kind;
        const char16_t *name, *unit;
        bool perLevel;
    };
    static constexpr Kind kKinds[] = {{PieceKind::Wale, u"腹起し", u"段", true},
                                      {PieceKind::Strut, u"切ばり", u"本", true},
                                      {PieceKind::Brace, u"隅火打ち", u"本", true},
                                      {PieceKind::Post, u"中間杭", u"本", false}};
    for (const Kind& k : kKinds)
        for (const SupportMember& m : s.members)
            if (m.kind == k.kind)
                rowFor(k.name, k.perLevel ? printed(m.length) : pileLengthM, k.unit).count += k.perLevel ? levels : 1;
    for (QuantityRow& r : rows) r.mass = r.unitMass * r.lengthM * r.count;
    return rows;
}

std::u16string supportsLabel(const Supports& s, std::optional<double> headLevel) {
    std::u16string text = u"腹起し・切ばり " + memberName(s.section);
    for (size_t i = 0; i < s.levels.size(); ++i)
        text += kWordGap + asciiToU16(std::to_string(i + 1)) + u"段目 " +
                levelText(headLevel ? *headLevel - s.levels[i] : -s.levels[i]);
    return text;
}

std::u16string supportsNote(const SupportOptions& options) {
    std::u16string note =
        u"指針（道路土工 仮設構造物工指針）の目安: 1 段目は天端から約 1 m、段の間隔は約 3 m、"
        u"腹起しの支点間隔は 5 m 程度まで、部材は H-" +
        figure(kLeastMemberDepth) + u" 以上";
    if (options.member.h > 0 && options.member.h < kLeastMemberDepth)
        note += u"\r\n※" + memberName(options.member) + u" は指針の H-" + figure(kLeastMemberDepth) + u" より小さい部材です";
    if (!options.fault.empty()) note += u"\r\n" + options.fault;
    return note;
}

}  // namespace ravo
