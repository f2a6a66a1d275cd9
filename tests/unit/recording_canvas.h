// A canvas that records what is drawn on it, for the view tests.
#pragma once
#include <string>
#include <vector>

#include "core/canvas.h"

namespace ravo::test {

struct Op {
    enum Kind { Clear, NewSurface, Pen, Line, Ellipse, Font, Text, Present } kind;
    Op(Kind k, int a_ = 0, int b_ = 0, int c_ = 0, int d_ = 0) : kind(k), a(a_), b(b_), c(c_), d(d_) {}
    int a, b, c, d;
    PenStyle style = PenStyle::Solid;
    uint32_t colour = 0, back = 0;
    bool copy = true;
    std::u16string text;
};

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(int w, int h) : w_(w), h_(h) {}
    void resize(int w, int h) {
        w_ = w;
        h_ = h;
    }
    int imageWidth() const override { return w_; }
    int imageHeight() const override { return h_; }
    void clearPicture() override {
        surface_ = false;
        ops.push_back({Op::Clear});
    }
    bool hasSurface() const override { return surface_; }
    void newSurface() override {
        surface_ = true;
        ops.push_back({Op::NewSurface});
    }
    void setPen(PenStyle style, uint32_t colour, bool copy) override {
        Op o{Op::Pen};
        o.style = style;
        o.colour = colour;
        o.copy = copy;
        ops.push_back(o);
    }
    void line(int x1, int y1, int x2, int y2) override { ops.push_back({Op::Line, x1, y1, x2, y2}); }
    void ellipse(int l, int t, int r, int b) override { ops.push_back({Op::Ellipse, l, t, r, b}); }
    void setFont(int height, int esc) override { ops.push_back({Op::Font, height, esc}); }
    void textExtent(const std::u16string& text, int& w, int& h) override {
        w = static_cast<int>(text.size()) * textCell;
        h = textCell * 2;
    }
    void textOut(int x, int y, const std::u16string& text, uint32_t colour, uint32_t back) override {
        Op o{Op::Text, x, y};
        o.text = text;
        o.colour = colour;
        o.back = back;
        ops.push_back(o);
    }
    void present() override { ops.push_back({Op::Present}); }

    std::vector<Op> of(Op::Kind k) const {
        std::vector<Op> r;
        for (const Op& o : ops)
            if (o.kind == k) r.push_back(o);
        return r;
    }
    // The pen in force for each line drawn.
    std::vector<PenStyle> lineStyles() const {
        std::vector<PenStyle> r;
        PenStyle cur = PenStyle::Solid;
        for (const Op& o : ops) {
            if (o.kind == Op::Pen) cur = o.style;
            if (o.kind == Op::Line) r.push_back(cur);
        }
        return r;
    }

    std::vector<Op> ops;
    int textCell = 10;

private:
    int w_, h_;
    bool surface_ = false;
};

}  // namespace ravo::test
