// Draws, at build time, the twelve pictures the program loads (no binary picture is kept in
// the repository), and the handheld menu's icon of the program.
//   scrivelle_assets <font.ttf> <output image dir>
//   scrivelle_assets --icon <output.png>      (32 by 32, RGBA)
//
// Everything is drawn into 32-bit SDL surfaces: shapes by anti-aliased pixel loops (4x4
// supersampling of a point-in-shape test), text with SDL_ttf.  The BMP files are written
// 16-bit RGB565 with BI_BITFIELDS, the screen's own format, so the program never converts
// them while blitting; icones.png is written RGBA with libpng.  The keyboard pages are drawn
// from the TClavier layout itself, so a label always sits over its key's hit box.
#include "TClavier.h"
#include "pictures.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------- colours and geometry

struct Rgba {
    uint8_t r, g, b, a;
};

constexpr Rgba KEY_GREEN{0, 255, 0, 255};  // colour key of the keyboard pages and name field
constexpr Rgba WHITE{255, 255, 255, 255};   // colour key of the shift mark; the screen colour
constexpr Rgba CLEAR{0, 0, 0, 0};
constexpr Rgba INK{32, 36, 44, 255};
constexpr Rgba PAPER{246, 248, 251, 255};   // "white" that must stay opaque
constexpr Rgba ACCENT{52, 118, 206, 255};
constexpr Rgba ACCENT_DARK{30, 78, 150, 255};
constexpr Rgba TITLE_TOP{78, 124, 186, 255}, TITLE_BOTTOM{34, 68, 122, 255};
constexpr Rgba STRIP_TOP{60, 74, 96, 255}, STRIP_BOTTOM{40, 50, 68, 255};
constexpr Rgba KEYBOARD_TOP{52, 56, 66, 255}, KEYBOARD_BOTTOM{30, 33, 40, 255};
constexpr Rgba CAP_TOP{253, 253, 254, 255}, CAP_BOTTOM{218, 223, 231, 255};
constexpr Rgba FUNCTION_TOP{186, 199, 218, 255}, FUNCTION_BOTTOM{146, 163, 189, 255};
constexpr Rgba DISABLED{84, 90, 101, 255};
constexpr Rgba CAP_SHADOW{16, 18, 22, 255};
constexpr Rgba TILE_TOP{246, 249, 253, 255}, TILE_BOTTOM{196, 208, 226, 255};
constexpr Rgba TILE_EDGE{22, 42, 78, 255};
constexpr Rgba PANEL_TOP{252, 253, 255, 255}, PANEL_BOTTOM{226, 232, 241, 255};

constexpr int KEYBOARD_W = CLAVIER_LARGEUR, KEYBOARD_H = CLAVIER_HAUTEUR;
constexpr int KEY = CLAVIER_TOUCHE;
constexpr int SWITCH_X = 288, SWITCH_Y = 64;  // the page switch place, relative to the strip
constexpr int CAP_INSET = 2;
constexpr int ICON = 16;
constexpr int FIELD_ROWS = 20;                // rows of the name field left in view
constexpr int PANEL_W = 200, PANEL_H = 50;
constexpr int BUTTON_W = 24, BUTTON_H = 12, BUTTON_PANEL_Y = 33;  // buttons at y 128 - 95

Rgba mix(Rgba a, Rgba b, double t)
{
    auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Rgba withAlpha(Rgba c, uint8_t a) { return {c.r, c.g, c.b, a}; }

// A vertical gradient from top to bottom over rows y0 to y1 inclusive.
struct Paint {
    Rgba top, bottom;
    int y0 = 0, y1 = 0;
    Paint(Rgba solid) : top(solid), bottom(solid) {}
    Paint(Rgba t, Rgba b, int from, int to) : top(t), bottom(b), y0(from), y1(to) {}
    Rgba at(int y) const
    {
        if (y1 <= y0) return top;
        double t = double(y - y0) / (y1 - y0);
        return mix(top, bottom, t < 0 ? 0 : t > 1 ? 1 : t);
    }
};

// ---------------------------------------------------------------- canvas

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// A 32-bit ARGB SDL surface that every picture is drawn into.
class Canvas {
public:
    Canvas(int w, int h, const Paint& fill = Paint(CLEAR))
        : s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF,
                                 0xFF000000))
    {
        if (!s) throw std::runtime_error(std::string("cannot make a surface: ") + SDL_GetError());
        fillRect(0, 0, w, h, fill);
    }
    int w() const { return s->w; }
    int h() const { return s->h; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w() && y < h(); }
    Rgba get(int x, int y) const
    {
        uint32_t p = pixel(x, y);
        return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)};
    }
    void set(int x, int y, Rgba c)
    {
        if (inside(x, y)) pixel(x, y) = uint32_t(c.a) << 24 | c.r << 16 | c.g << 8 | c.b;
    }
    // Lays colour c over the pixel with the given coverage (0 to 1), alpha included.
    void blend(int x, int y, Rgba c, double coverage)
    {
        if (!inside(x, y) || coverage <= 0) return;
        Rgba d = get(x, y);
        double sa = c.a / 255.0 * coverage, da = d.a / 255.0;
        double oa = sa + da * (1 - sa);
        if (oa <= 0) return;
        auto ch = [&](uint8_t sc, uint8_t dc) {
            return uint8_t(std::lround((sc * sa + dc * da * (1 - sa)) / oa));
        };
        set(x, y, {ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), uint8_t(std::lround(oa * 255))});
    }
    void fillRect(int x, int y, int w, int h, const Paint& p)
    {
        for (int j = y; j < y + h; j++)
            for (int i = x; i < x + w; i++) set(i, j, p.at(j));
    }

private:
    uint32_t& pixel(int x, int y) const
    {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
    }
    SurfacePtr s;
};

// ---------------------------------------------------------------- shapes

// A shape answers whether a point (in pixel units, pixel (x, y) spanning x..x+1) is inside.
using Shape = std::function<bool(double, double)>;
struct Pt {
    double x, y;
};

Shape roundRect(double x0, double y0, double x1, double y1, double r)
{
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        double cx = x < x0 + r ? x0 + r : x > x1 - r ? x1 - r : x;
        double cy = y < y0 + r ? y0 + r : y > y1 - r ? y1 - r : y;
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

Shape segment(Pt a, Pt b, double halfWidth)
{
    return [=](double x, double y) {
        double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        double ex = x - (a.x + t * dx), ey = y - (a.y + t * dy);
        return ex * ex + ey * ey <= halfWidth * halfWidth;
    };
}

// Even-odd point-in-polygon test.
Shape polygon(std::vector<Pt> pts)
{
    return [pts](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Pt &a = pts[i], &b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    };
}

Shape ring(Pt c, double outer, double inner)
{
    return [=](double x, double y) {
        double d2 = (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y);
        return d2 <= outer * outer && d2 >= inner * inner;
    };
}

Shape minus(Shape a, Shape b)
{
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

// Paints a shape over the pixels of a box with 4x4 supersampled coverage.
void paint(Canvas& c, int bx, int by, int bw, int bh, const Shape& shape, const Paint& p)
{
    constexpr int N = 4;
    for (int y = by; y < by + bh; y++) {
        for (int x = bx; x < bx + bw; x++) {
            int hits = 0;
            for (int j = 0; j < N; j++)
                for (int i = 0; i < N; i++) hits += shape(x + (i + 0.5) / N, y + (j + 0.5) / N);
            c.blend(x, y, p.at(y), double(hits) / (N * N));
        }
    }
}

void paintAll(Canvas& c, const Shape& shape, const Paint& p) { paint(c, 0, 0, c.w(), c.h(), shape, p); }

// ---------------------------------------------------------------- text

class Fonts {
public:
    explicit Fonts(std::string path) : path_(std::move(path)) {}
    ~Fonts()
    {
        for (auto& f : open_) TTF_CloseFont(f.second);
    }
    TTF_Font* get(int points, bool bold = false)
    {
        auto key = std::make_pair(points, bold);
        auto it = open_.find(key);
        if (it != open_.end()) return it->second;
        TTF_Font* f = TTF_OpenFont(path_.c_str(), points);
        if (!f) throw std::runtime_error("cannot open font " + path_ + ": " + TTF_GetError());
        TTF_SetFontStyle(f, bold ? TTF_STYLE_BOLD : TTF_STYLE_NORMAL);
        open_[key] = f;
        return f;
    }

private:
    std::string path_;
    std::map<std::pair<int, bool>, TTF_Font*> open_;
};

// A text as rendered: the alpha of each pixel, and the first and last column with ink.
struct Rendered {
    int w = 0, h = 0, inkLeft = -1, inkRight = -1;
    std::vector<uint8_t> alpha;
};

// Renders Latin-1 text blended; fails when it shows no ink at all (a missing glyph).
Rendered render(TTF_Font* font, const std::string& latin1)
{
    SDL_Color white = {255, 255, 255, 0};
    SurfacePtr s(TTF_RenderText_Blended(font, latin1.c_str(), white));
    if (!s) throw std::runtime_error("cannot render \"" + latin1 + "\": " + TTF_GetError());
    Rendered r{s->w, s->h, s->w, -1, std::vector<uint8_t>(size_t(s->w) * s->h)};
    SDL_LockSurface(s.get());
    for (int y = 0; y < r.h; y++) {
        for (int x = 0; x < r.w; x++) {
            Uint8 cr, cg, cb, ca;
            SDL_GetRGBA(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x],
                        s->format, &cr, &cg, &cb, &ca);
            r.alpha[size_t(y) * r.w + x] = ca;
            if (ca) r.inkLeft = std::min(r.inkLeft, x), r.inkRight = std::max(r.inkRight, x);
        }
    }
    SDL_UnlockSurface(s.get());
    if (r.inkRight < 0) throw std::runtime_error("no glyph drawn for \"" + latin1 + "\"");
    return r;
}

// Draws text with its ink centred on column cx and its baseline on row baseline.
void centredText(Canvas& c, TTF_Font* font, const std::string& latin1, double cx, int baseline,
                 Rgba colour)
{
    Rendered r = render(font, latin1);
    int left = int(std::lround(cx - (r.inkLeft + r.inkRight + 1) / 2.0));
    int top = baseline - TTF_FontAscent(font);
    for (int y = 0; y < r.h; y++)
        for (int x = 0; x < r.w; x++) c.blend(left + x, top + y, colour, r.alpha[size_t(y) * r.w + x] / 255.0);
}

// Row on which text of this font sits so that its capitals are centred on row cy.
int capBaseline(TTF_Font* font, double cy)
{
    int minx, maxx, miny, maxy, advance;
    TTF_GlyphMetrics(font, 'H', &minx, &maxx, &miny, &maxy, &advance);
    return int(std::lround(cy + maxy / 2.0));
}

// ---------------------------------------------------------------- writers

// Writes through a temporary file and renames it, so a failed run leaves no half picture.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + tmp);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

uint16_t to565(Rgba c) { return uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

// The 565 value of one pixel. Only the key colour itself may become the key value: a drawn
// pixel that happens to round onto it is moved one step away, or it would turn transparent.
uint16_t pixel565(Rgba c, int key)
{
    if (key == CLE_VERT) {
        if (c.r == 0 && c.g == 255 && c.b == 0) return 0x07E0;
        uint16_t v = to565(c);
        return v == 0x07E0 ? 0x07C0 : v;
    }
    if (key == CLE_BLANC) {
        if (c.a < 128) return 0xFFFF;
        uint16_t v = to565(mix(WHITE, withAlpha(c, 255), c.a / 255.0));
        return v == 0xFFFF ? 0xFFDF : v;
    }
    return to565(mix(WHITE, withAlpha(c, 255), c.a / 255.0));
}

void put16(std::vector<uint8_t>& b, uint32_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8 & 0xFF); }
void put32(std::vector<uint8_t>& b, uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }

void writeBmp565(const Canvas& c, const std::string& path, int key)
{
    const uint32_t headers = 14 + 40 + 12, row = (c.w() * 2 + 3) & ~3u;
    std::vector<uint8_t> b;
    b.push_back('B'), b.push_back('M');
    put32(b, headers + row * c.h()), put32(b, 0), put32(b, headers);
    put32(b, 40), put32(b, c.w()), put32(b, c.h());  // positive height: rows bottom-up
    put16(b, 1), put16(b, 16), put32(b, 3 /* BI_BITFIELDS */), put32(b, row * c.h());
    put32(b, 2835), put32(b, 2835), put32(b, 0), put32(b, 0);
    put32(b, 0xF800), put32(b, 0x07E0), put32(b, 0x001F);
    for (int y = c.h() - 1; y >= 0; y--) {
        for (int x = 0; x < c.w(); x++) put16(b, pixel565(c.get(x, y), key));
        for (uint32_t pad = c.w() * 2; pad < row; pad++) b.push_back(0);
    }
    writeFile(path, b);
}

void pngToMemory(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void writePng(const Canvas& c, const std::string& path)
{
    std::vector<uint8_t> bytes, rows(size_t(c.w()) * c.h() * 4);
    for (int y = 0; y < c.h(); y++)
        for (int x = 0; x < c.w(); x++) {
            Rgba p = c.get(x, y);
            uint8_t* q = &rows[(size_t(y) * c.w() + x) * 4];
            q[0] = p.r, q[1] = p.g, q[2] = p.b, q[3] = p.a;
        }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed on " + path);
    }
    png_set_write_fn(png, &bytes, pngToMemory, nullptr);
    png_set_IHDR(png, info, c.w(), c.h(), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < c.h(); y++) png_write_row(png, &rows[size_t(y) * c.w() * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    writeFile(path, bytes);
}

// ---------------------------------------------------------------- screen decor

// Highlight bar of the current row. It starts 4 rows below the text it marks and would
// reach 2 rows into the next line, so its tint fades out over those last rows.
Canvas drawBar(Fonts&)
{
    Canvas c(285, 12, Paint({222, 234, 252, 255}, {204, 222, 248, 255}, 0, 9));
    c.fillRect(0, 10, 285, 1, Paint({234, 242, 253, 255}));
    c.fillRect(0, 11, 285, 1, Paint({246, 249, 254, 255}));
    c.fillRect(0, 0, 3, 10, Paint(ACCENT));
    return c;
}

Canvas drawTitle(Fonts& fonts)
{
    Canvas c(320, 20, Paint(TITLE_TOP, TITLE_BOTTOM, 0, 19));
    c.fillRect(0, 0, 320, 1, Paint({128, 166, 214, 255}));
    c.fillRect(0, 19, 320, 1, Paint({20, 40, 74, 255}));
    // The name stays between the left icons (up to x 96) and the quit icon (from x 280).
    TTF_Font* f = fonts.get(13, true);
    int base = capBaseline(f, 9.5);
    centredText(c, f, "Scrivelle", 186, base + 1, withAlpha(TITLE_BOTTOM, 200));
    centredText(c, f, "Scrivelle", 185, base, WHITE);
    return c;
}

// Line-number strip: dark, for the white numbers drawn over it.
Canvas drawNumberStrip(Fonts&)
{
    Canvas c(15, 100, Paint(STRIP_TOP, STRIP_BOTTOM, 0, 99));
    c.fillRect(14, 0, 1, 100, Paint({26, 32, 44, 255}));
    return c;
}

// A light tile with a rounded edge, the look of every touchable button of the screen.
void tile(Canvas& c, int x, int y, int w, int h, Rgba outside)
{
    c.fillRect(x, y, w, h, Paint(outside));
    paint(c, x, y, w, h, roundRect(x, y, x + w, y + h, 3.5), Paint(TILE_EDGE));
    paint(c, x, y, w, h, roundRect(x + 1, y + 1, x + w - 1, y + h - 1, 2.5),
          Paint(TILE_TOP, TILE_BOTTOM, y + 1, y + h - 2));
}

// Scroll arrows: down in the left cell, up in the right one, on the white screen.
Canvas drawArrows(Fonts&)
{
    Canvas c(38, 20);
    for (int cell = 0; cell < 2; cell++) {
        int x = cell * 19;
        tile(c, x, 0, 19, 20, WHITE);
        double cx = x + 9.5, t = cell == 0 ? 1 : -1;  // t: +1 points down
        paint(c, x, 0, 19, 20, polygon({{cx - 5.5, 10 - 3 * t}, {cx + 5.5, 10 - 3 * t}, {cx, 10 + 3.5 * t}}),
              Paint(ACCENT_DARK));
    }
    return c;
}

// Shift mark, white keyed: an outlined arrow when off, a filled blue one when on.
Canvas drawShift(Fonts&)
{
    Canvas c(64, 8);
    for (int on = 0; on < 2; on++) {
        int x = 32 * on + 1;
        Rgba edge = on ? ACCENT_DARK : Rgba{96, 108, 128, 255};
        c.fillRect(x, 0, 30, 8, Paint(edge));
        c.fillRect(x + 1, 1, 28, 6, on ? Paint({84, 146, 226, 255}, ACCENT, 1, 6) : Paint(PAPER));
        for (int cx : {x, x + 29})  // clipped corners keep the outline hard, never half keyed
            for (int cy : {0, 7}) c.set(cx, cy, CLEAR);
        double mid = x + 15;
        Shape arrow = polygon({{mid, 0.6}, {mid + 5.5, 4.4}, {mid + 2.2, 4.4}, {mid + 2.2, 7.4},
                               {mid - 2.2, 7.4}, {mid - 2.2, 4.4}, {mid - 5.5, 4.4}});
        paint(c, x, 0, 30, 8, arrow, Paint(on ? PAPER : edge));
    }
    return c;
}

// ---------------------------------------------------------------- icons

// Each icon is drawn on its own 16 by 16 canvas over a light tile.
void iconCreate(Canvas& c)
{
    paintAll(c, polygon({{3, 2}, {9.5, 2}, {12.5, 5}, {12.5, 14}, {3, 14}}), Paint({120, 130, 146, 255}));
    paintAll(c, polygon({{4, 3}, {9, 3}, {11.5, 5.5}, {11.5, 13}, {4, 13}}), Paint(PAPER));
    paintAll(c, roundRect(7, 7, 15, 15, 4), Paint({58, 160, 74, 255}));
    paintAll(c, segment({11, 8.6}, {11, 13.4}, 0.9), Paint(PAPER));
    paintAll(c, segment({8.6, 11}, {13.4, 11}, 0.9), Paint(PAPER));
}

void iconOpen(Canvas& c)
{
    Rgba back{206, 150, 36, 255}, front{246, 196, 72, 255};
    paintAll(c, polygon({{2, 4}, {6.5, 4}, {8, 5.5}, {13.5, 5.5}, {13.5, 13.5}, {2, 13.5}}), Paint(back));
    paintAll(c, polygon({{4, 7.5}, {15, 7.5}, {13, 13.5}, {2, 13.5}}), Paint(front, back, 8, 13));
}

void iconDelete(Canvas& c)
{
    Rgba red{200, 52, 48, 255};
    paintAll(c, roundRect(3, 3.5, 13, 5.5, 0.8), Paint(red));
    paintAll(c, minus(roundRect(6, 1.5, 10, 4.5, 1), roundRect(7, 2.5, 9, 4.5, 0)), Paint(red));
    paintAll(c, polygon({{4, 6.5}, {12, 6.5}, {11.2, 14.5}, {4.8, 14.5}}),
             Paint({226, 84, 72, 255}, {170, 36, 34, 255}, 7, 14));
    for (double x : {6.5, 8.0, 9.5}) paintAll(c, segment({x, 8.5}, {x, 12.5}, 0.45), Paint({255, 214, 208, 255}));
}

void iconSave(Canvas& c)
{
    Rgba dark{34, 66, 128, 255};
    paintAll(c, polygon({{2, 2}, {12, 2}, {14, 4}, {14, 14}, {2, 14}}), Paint({60, 104, 180, 255}, dark, 2, 13));
    paintAll(c, roundRect(5, 2, 11, 6, 0), Paint({214, 222, 234, 255}));
    paintAll(c, roundRect(9, 2.8, 10.2, 5.2, 0), Paint(dark));
    paintAll(c, roundRect(4, 8, 12, 14, 0.5), Paint(PAPER));
    for (double y : {10.0, 12.0}) paintAll(c, segment({5.5, y}, {10.5, y}, 0.35), Paint({150, 160, 176, 255}));
}

void iconQuit(Canvas& c)
{
    Rgba red{204, 44, 40, 255};
    paintAll(c, minus(ring({8, 8.8}, 5.8, 4), polygon({{8, 8.5}, {4.5, 0}, {11.5, 0}})), Paint(red));
    paintAll(c, segment({8, 2.2}, {8, 8.2}, 1), Paint(red));
}

void iconBack(Canvas& c)
{
    paintAll(c, polygon({{2, 8}, {8, 2.5}, {8, 13.5}}), Paint(ACCENT_DARK));
    paintAll(c, roundRect(7, 6, 14, 10, 0.5), Paint(ACCENT_DARK));
}

// Six icons on light tiles with rounded, alpha-blended corners, for the title strip.
Canvas drawIcons(Fonts&)
{
    void (*const glyphs[6])(Canvas&) = {iconCreate, iconOpen, iconDelete, iconSave, iconQuit, iconBack};
    Canvas strip(6 * ICON, ICON);
    for (int k = 0; k < 6; k++) {
        Canvas c(ICON, ICON);
        paintAll(c, roundRect(0, 0, ICON, ICON, 3.5), Paint(TILE_EDGE));
        paintAll(c, roundRect(1, 1, ICON - 1, ICON - 1, 2.5), Paint(TILE_TOP, TILE_BOTTOM, 1, ICON - 2));
        glyphs[k](c);
        for (int y = 0; y < ICON; y++)
            for (int x = 0; x < ICON; x++) strip.set(k * ICON + x, y, c.get(x, y));
    }
    return strip;
}

// ---------------------------------------------------------------- dialog

Paint panelPaint() { return Paint(PANEL_TOP, PANEL_BOTTOM, 0, PANEL_H - 1); }

Canvas drawPanel(Fonts&)
{
    Canvas c(PANEL_W, PANEL_H, panelPaint());
    Paint edge(ACCENT_DARK);
    c.fillRect(0, 0, PANEL_W, 1, edge), c.fillRect(0, PANEL_H - 1, PANEL_W, 1, edge);
    c.fillRect(0, 0, 1, PANEL_H, edge), c.fillRect(PANEL_W - 1, 0, 1, PANEL_H, edge);
    c.fillRect(1, 1, PANEL_W - 2, 1, Paint(WHITE));
    c.fillRect(3, 4, 3, PANEL_H - 8, Paint(ACCENT));  // the text starts at x 10
    return c;
}

// Confirm, decline and acknowledge buttons; their corners match the panel they sit on.
Canvas drawButtons(Fonts& fonts)
{
    struct Button {
        const char* label;
        Rgba top, bottom;
    };
    const Button buttons[3] = {{"Yes", {92, 180, 96, 255}, {42, 128, 54, 255}},
                               {"No", {222, 96, 86, 255}, {170, 44, 40, 255}},
                               {"OK", {86, 146, 224, 255}, ACCENT_DARK}};
    Canvas c(3 * BUTTON_W, BUTTON_H);
    Paint panel = panelPaint();
    for (int y = 0; y < BUTTON_H; y++) c.fillRect(0, y, c.w(), 1, Paint(panel.at(BUTTON_PANEL_Y + y)));
    TTF_Font* f = fonts.get(9, true);
    for (int k = 0; k < 3; k++) {
        int x = k * BUTTON_W;
        paint(c, x, 0, BUTTON_W, BUTTON_H, roundRect(x, 0, x + BUTTON_W, BUTTON_H, 3), Paint(buttons[k].bottom));
        paint(c, x, 0, BUTTON_W, BUTTON_H, roundRect(x + 1, 1, x + BUTTON_W - 1, BUTTON_H - 1, 2),
              Paint(buttons[k].top, buttons[k].bottom, 1, BUTTON_H - 2));
        centredText(c, f, buttons[k].label, x + BUTTON_W / 2.0, capBaseline(f, 6.0), PAPER);
    }
    return c;
}

// ---------------------------------------------------------------- keyboard

Paint keyboardPaint() { return Paint(KEYBOARD_TOP, KEYBOARD_BOTTOM, 0, KEYBOARD_H - 1); }

struct Box {
    int x0, y0, x1, y1;  // inclusive
};

// The key's cap: its hit box less the columns that another key's box shares, so nothing
// invites a press where two keys would act at once; then inset for the gaps.
Box capBox(TClavier& kb, int key, int first, int last)
{
    int x = kb.GetCollX1(key), y = kb.GetCollY1(key);
    Box b{x, y, x + KEY - 1, y + KEY - 1};
    for (int other = first; other <= last; other++) {
        int ox = kb.GetCollX1(other);
        if (other == key || kb.GetCollY1(other) != y || ox + KEY <= x || ox >= x + KEY) continue;
        if (ox > x) b.x1 = ox - 1;
        else b.x0 = ox + KEY;
    }
    int left = b.x0 > x ? 1 : CAP_INSET, right = b.x1 < x + KEY - 1 ? 1 : CAP_INSET;
    return {b.x0 + left, b.y0 + CAP_INSET, b.x1 - right, b.y1 - CAP_INSET};
}

// A raised cap: shadow under it, a gradient face.
void cap(Canvas& c, const Box& b, const Paint& face)
{
    int w = b.x1 - b.x0 + 1, h = b.y1 - b.y0 + 1;
    paint(c, b.x0, b.y0, w, h + 1, roundRect(b.x0, b.y0 + 1, b.x1 + 1, b.y1 + 2, 4), Paint(CAP_SHADOW));
    paint(c, b.x0, b.y0, w, h, roundRect(b.x0, b.y0, b.x1 + 1, b.y1 + 1, 4), face);
}

// The symbols of the keys that act rather than type, centred on (cx, cy).
void symbol(Canvas& c, double cx, double cy, const Shape& shape, Rgba colour)
{
    paint(c, int(cx) - 12, int(cy) - 10, 24, 20, shape, Paint(colour));
}

void symbolBackspace(Canvas& c, double cx, double cy)
{
    symbol(c, cx, cy, polygon({{cx - 9.5, cy}, {cx - 3.5, cy - 6.5}, {cx + 8.5, cy - 6.5}, {cx + 8.5, cy + 6.5},
                               {cx - 3.5, cy + 6.5}}), INK);
    symbol(c, cx, cy, segment({cx - 1, cy - 3}, {cx + 5, cy + 3}, 0.9), FUNCTION_TOP);
    symbol(c, cx, cy, segment({cx - 1, cy + 3}, {cx + 5, cy - 3}, 0.9), FUNCTION_TOP);
}

void symbolSpace(Canvas& c, double cx, double cy)
{
    symbol(c, cx, cy, segment({cx - 8, cy - 1}, {cx - 8, cy + 4}, 1), INK);
    symbol(c, cx, cy, segment({cx - 8, cy + 4}, {cx + 8, cy + 4}, 1), INK);
    symbol(c, cx, cy, segment({cx + 8, cy + 4}, {cx + 8, cy - 1}, 1), INK);
}

void symbolNewLine(Canvas& c, double cx, double cy)
{
    symbol(c, cx, cy, segment({cx + 7, cy - 7}, {cx + 7, cy + 2}, 1.1), INK);
    symbol(c, cx, cy, segment({cx + 7, cy + 2}, {cx - 4, cy + 2}, 1.1), INK);
    symbol(c, cx, cy, polygon({{cx - 9.5, cy + 2}, {cx - 3, cy - 3.5}, {cx - 3, cy + 7.5}}), INK);
}

// One key: a cap in its box with the label of what it types, or the symbol of what it does.
void drawKey(Canvas& c, Fonts& fonts, TClavier& kb, int key, int first, int last)
{
    Box b = capBox(kb, key, first, last);
    int fn = kb.GetFonction(key);
    double cx = (b.x0 + b.x1 + 1) / 2.0, cy = (b.y0 + b.y1 + 1) / 2.0;
    if (fn == TOUCHE_INACTIVE) {
        cap(c, b, Paint(DISABLED));
        return;
    }
    bool plain = fn == TOUCHE_CARACTERE && kb.GetValeur(key) != ' ';
    cap(c, b, plain ? Paint(CAP_TOP, CAP_BOTTOM, b.y0, b.y1) : Paint(FUNCTION_TOP, FUNCTION_BOTTOM, b.y0, b.y1));
    if (fn == TOUCHE_EFFACE) symbolBackspace(c, cx, cy);
    else if (fn == TOUCHE_RETOUR) symbolNewLine(c, cx, cy);
    else if (!plain) symbolSpace(c, cx, cy);
    else {
        TTF_Font* f = fonts.get(16, true);
        std::string label(1, kb.GetValeur(key));  // one Latin-1 byte, accented letters included
        centredText(c, f, label, cx, capBaseline(f, cy - 1.5), INK);
    }
}

// One keyboard page: every key of the range on the dark strip, the switch place left green.
Canvas drawKeyboard(Fonts& fonts, int first, int last)
{
    TClavier kb;  // origin (0, 0): boxes are relative to the strip
    Canvas c(KEYBOARD_W, KEYBOARD_H, keyboardPaint());
    for (int key = first; key <= last; key++) {
        int x = kb.GetCollX1(key), y = kb.GetCollY1(key);
        if (x < SWITCH_X + KEY && x + KEY > SWITCH_X && y < SWITCH_Y + KEY && y + KEY > SWITCH_Y)
            throw std::runtime_error("key " + std::to_string(key) + " lies on the page switch place");
        drawKey(c, fonts, kb, key, first, last);
    }
    c.fillRect(SWITCH_X, SWITCH_Y, KEY, KEY, Paint(KEY_GREEN));
    return c;
}

Canvas drawLetters(Fonts& fonts) { return drawKeyboard(fonts, PAGE_LETTRES_DEBUT, PAGE_LETTRES_FIN); }
Canvas drawSigns(Fonts& fonts) { return drawKeyboard(fonts, PAGE_SIGNES_DEBUT, PAGE_SIGNES_FIN); }

// Page switch button, seen through the keyboard's green place: an accent cap "123 / abc".
Canvas drawSwitch(Fonts& fonts)
{
    Canvas c(KEY, KEY);
    Paint strip = keyboardPaint();
    for (int y = 0; y < KEY; y++) c.fillRect(0, y, KEY, 1, Paint(strip.at(SWITCH_Y + y)));
    Box b{CAP_INSET, CAP_INSET, KEY - 1 - CAP_INSET, KEY - 1 - CAP_INSET};
    cap(c, b, Paint({92, 150, 226, 255}, ACCENT_DARK, b.y0, b.y1));
    TTF_Font* f = fonts.get(10, true);
    centredText(c, f, "123", 16, capBaseline(f, 10.5), PAPER);
    centredText(c, f, "abc", 16, capBaseline(f, 21.5), PAPER);
    paint(c, 0, 0, KEY, KEY, segment({9.5, 16}, {22.5, 16}, 0.5), Paint({176, 202, 240, 255}));
    return c;
}

// Name field: a white input box in the top rows; below them everything is keyed green,
// as the keyboard strip covers it.
Canvas drawNameField(Fonts&)
{
    Canvas c(KEYBOARD_W, KEYBOARD_H, Paint(KEY_GREEN));
    c.fillRect(0, 0, KEYBOARD_W, FIELD_ROWS, Paint({232, 237, 244, 255}, {214, 221, 232, 255}, 0, FIELD_ROWS - 1));
    // The name is drawn at x 10 from row 0; the shift mark sits right of the box at x 280.
    paint(c, 3, 0, 272, 18, roundRect(3, 0, 274, 18, 2.5), Paint({122, 138, 162, 255}));
    paint(c, 3, 0, 272, 18, roundRect(4, 1, 273, 17, 1.5), Paint(PAPER, WHITE, 1, 16));
    c.fillRect(5, 1, 268, 1, Paint({214, 220, 230, 255}));  // inset shadow
    return c;
}

// ---------------------------------------------------------------- menu icon

// The launcher's icon of the program: a ruled note page with a blue heading band and a
// pencil across its corner, on a transparent ground.
Canvas drawMenuIcon()
{
    Canvas c(32, 32);
    paintAll(c, roundRect(5, 2, 25, 30, 2.5), Paint({120, 130, 146, 255}));
    paintAll(c, roundRect(6, 3, 24, 29, 1.5), Paint(PAPER, {226, 232, 241, 255}, 3, 28));
    paintAll(c, roundRect(6, 3, 24, 8, 1.5), Paint(TITLE_TOP, TITLE_BOTTOM, 3, 7));
    for (double y : {12.0, 16.0, 20.0, 24.0})
        paintAll(c, segment({9, y}, {y < 20 ? 21.0 : 15.0, y}, 0.5), Paint({150, 174, 210, 255}));
    // The pencil, from its end at the top right down to its point near the page's centre.
    Pt end{29.5, 10.5}, wood{19.5, 20.5}, point{16.5, 23.5};
    paintAll(c, segment(end, wood, 2.6), Paint(INK));
    paintAll(c, segment(end, wood, 1.8), Paint({246, 196, 72, 255}, {206, 150, 36, 255}, 10, 21));
    paintAll(c, segment({28.8, 11.2}, {27.3, 12.7}, 1.9), Paint({200, 52, 48, 255}));
    paintAll(c, polygon({{wood.x - 1.9, wood.y - 1.9}, {wood.x + 1.9, wood.y + 1.9}, point}),
             Paint({236, 206, 160, 255}));
    paintAll(c, polygon({{17.9, 22.1}, {18.0, 22.0}, {17.2, 23.6}, point}), Paint(INK));
    paintAll(c, segment({18.2, 21.8}, point, 0.7), Paint(INK));
    return c;
}

// ---------------------------------------------------------------- main

struct Picture {
    const char* file;
    Canvas (*draw)(Fonts&);
    int key;  // CLE_AUCUNE, CLE_BLANC or CLE_VERT
};

#define PICTURE(file, surface, drawing, key, width, height) {file, draw##drawing, key},
const Picture PICTURES[] = {SCRIVELLE_IMAGES(PICTURE)};
#undef PICTURE

void drawAll(const std::string& fontPath, const std::string& dir)
{
    if (TTF_Init() != 0) throw std::runtime_error(std::string("cannot start SDL_ttf: ") + TTF_GetError());
    {
        Fonts fonts(fontPath);
        for (Uint16 accented : {0xE9, 0xE8, 0xE0})
            if (!TTF_GlyphIsProvided(fonts.get(16), accented))
                throw std::runtime_error("font " + fontPath + " lacks the accented letters");
        for (const Picture& p : PICTURES) {
            Canvas c = p.draw(fonts);
            std::string path = dir + "/" + p.file;
            if (path.compare(path.size() - 4, 4, ".png") == 0) writePng(c, path);
            else writeBmp565(c, path, p.key);
        }
    }
    TTF_Quit();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <font.ttf> <output image dir>\n"
                             "       %s --icon <output.png>\n", argv[0], argv[0]);
        return 2;
    }
    try {
        if (std::string(argv[1]) == "--icon") writePng(drawMenuIcon(), argv[2]);
        else drawAll(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scrivelle_assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
