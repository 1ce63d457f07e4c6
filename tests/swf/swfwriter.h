#pragma once

// Builds small SWF movies in memory for the engine's tests.

#include <QByteArray>
#include <QColor>
#include <QRect>

#include <initializer_list>
#include <vector>

namespace swftest {

// Writes little-endian bytes and most-significant-first bit fields.
class Bits {
public:
    Bits &u8(int v);
    Bits &u16(int v);
    Bits &u32(quint32 v);
    Bits &ub(int n, quint32 v);
    Bits &sb(int n, qint32 v);
    Bits &flush();
    Bits &rgb(const QColor &c);
    Bits &rgba(const QColor &c);
    Bits &bytes(const QByteArray &b);
    Bits &rect(const QRect &twips);
    // A matrix with scale (1 when sx and sy are 1) and translation.
    Bits &matrix(double sx = 1, double sy = 1, int tx = 0, int ty = 0);
    QByteArray data();

private:
    QByteArray out_;
    quint8 acc_ = 0;
    int used_ = 0;
};

// Shape records: moves, straight and curved edges with style changes.
class Edges {
public:
    Edges &style(int fill0, int fill1, int line);
    Edges &moveTo(int x, int y);
    Edges &line(int dx, int dy);
    Edges &curve(int cdx, int cdy, int adx, int ady);
    // A rectangle drawn clockwise (on screen) with `fill` on its inside.
    Edges &rect(const QRect &twips, int fill, int line = 0);
    QByteArray end(); // the records, with 4 fill and 4 line index bits

private:
    Bits bits_;
};

QByteArray solidFill(const QColor &c, bool alpha);
// Gradient from -16384 to 16384 twips scaled by `scale` and moved to (tx, ty).
QByteArray gradientFill(int type, double scale, int tx, int ty, const std::vector<std::pair<int, QColor>> &stops,
                        int spread = 0);
QByteArray bitmapFill(int bitmapId, bool clipped, double scale, int tx, int ty);
QByteArray lineStyle(int width, const QColor &c, bool alpha);
// A LINESTYLE2 of DefineShape4 with round caps and joins, solid colour.
QByteArray lineStyle2(int width, const QColor &c, bool noHScale, bool noVScale);

// Filter records for placeFiltered(); sizes in pixels, angles in radians.
QByteArray glowFilter(const QColor &c, double blur, double strength, int passes, bool knockout = false,
                      bool inner = false);
// A bevel whose highlight faces `angle`; `type` 0 outer, 1 inner, 2 full.
QByteArray bevelFilter(const QColor &highlight, const QColor &shadow, double blur, double angle, double distance,
                       int type);
// A colour matrix: four rows of five, the last of each an offset.
QByteArray colorMatrixFilter(const std::vector<float> &matrix);
// A convolution of `columns` x `rows`, edges clamped, alpha kept.
QByteArray convolutionFilter(int columns, int rows, const std::vector<float> &kernel, float divisor);
QByteArray dropShadowFilter(const QColor &c, double blur, double angle, double distance, double strength, int passes);
QByteArray blurFilter(double blurX, double blurY, int passes);

// ActionScript bytecode for DoAction, action by action.
class Actions {
public:
    Actions &push(const QByteArray &text);
    Actions &push(int number);
    Actions &pushRegister(int r);
    Actions &op(int code, const QByteArray &data = {});
    Actions &pushNull();
    // Calls `method` of the clip at `path` with number arguments, or with
    // the one argument the caller pushed; the result is dropped.
    Actions &call(const QByteArray &path, const QByteArray &method, std::initializer_list<int> args);
    Actions &callWithPushed(const QByteArray &path, const QByteArray &method);
    // Makes an object `name` whose `method` runs `body` and adds it to the
    // listeners of `broadcaster` (Key, Mouse, Selection ...).
    Actions &listen(const QByteArray &broadcaster, const QByteArray &name, const QByteArray &method,
                    const Actions &body);
    // Makes an empty clip `name` at `depth` inside the clip at `path`.
    Actions &makeClip(const QByteArray &path, const QByteArray &name, int depth);
    // A function without parameters around `body`: pushed when anonymous,
    // defined under `name` otherwise.
    Actions &function(const Actions &body, const QByteArray &name = {});
    // Fills the square from (x, y) to (x + size, y + size) with the drawing
    // methods of the clip at `path`.
    Actions &fillSquare(const QByteArray &path, int colour, int x, int y, int size);
    Actions &then(const Actions &more)
    {
        out_ += more.out_;
        return *this;
    }
    QByteArray code() const { return out_; }

private:
    QByteArray out_;
};

class Movie {
public:
    Movie(int version, int widthPx, int heightPx, double fps = 12);

    Movie &tag(int code, const QByteArray &body);
    // A stage of any size in twips, whole pixels or not.
    Movie &stageRect(const QRect &twips);
    Movie &background(const QColor &c);
    // DefineShape of `version` (1 to 4) with one or more fill styles; the
    // lines of version 4 are LINESTYLE2.
    Movie &shape(int id, int version, const QRect &bounds, const std::vector<QByteArray> &fills,
                 const std::vector<QByteArray> &lines, const QByteArray &edges);
    Movie &place(int depth, int id, int tx = 0, int ty = 0);
    Movie &placeScaled(int depth, int id, double scale, int tx, int ty);
    Movie &placeScaled(int depth, int id, double sx, double sy, int tx, int ty);
    Movie &placeMask(int depth, int id, int clipDepth);
    // PlaceObject3 with a blend mode (1 normal ... 14 hard light).
    Movie &placeBlended(int depth, int id, int blend, int tx = 0, int ty = 0);
    // PlaceObject3 with the given filter records.
    Movie &placeFiltered(int depth, int id, int tx, int ty, const std::vector<QByteArray> &filters);
    Movie &placeRatio(int depth, int id, int ratio);
    // PlaceObject2 of a named instance, for scripts to reach.
    Movie &placeNamed(int depth, int id, const QByteArray &name, int tx = 0, int ty = 0);
    // The same with clip event handlers: each event's flags (1 load, 2
    // enterFrame, ... 0x200 initialize, 0x40000 construct) and actions.
    Movie &placeWithEvents(int depth, int id, const QByteArray &name,
                           const std::vector<std::pair<quint32, QByteArray>> &events);
    Movie &move(int depth, int tx, int ty);
    Movie &remove(int depth);
    Movie &showFrame();
    Movie &stopAction();
    Movie &gotoAction(int frame1Based);
    // DoAction with `code` (the End action is added).
    Movie &doAction(const QByteArray &code);
    // A sprite of inner's control tags; `ended` false leaves out its End tag.
    Movie &sprite(int id, const Movie &inner, bool ended = true);
    // DefineButton2: parts (character, depth, ButtonState bits, position in
    // twips) and actions run on state changes (condition bits and key code
    // as the tag stores them, then the action bytes).
    struct ButtonPart {
        int id, depth, states, tx = 0, ty = 0;
    };
    Movie &button(int id, const std::vector<ButtonPart> &parts, const std::vector<std::pair<int, QByteArray>> &actions,
                  bool trackAsMenu = false);
    // Shapes `firstShape` to `firstShape` + 3 (a red, a green and a blue
    // 100-pixel square, and the triangle on the square's upper left half)
    // and a button `id` made of them: red when up, green under the
    // pointer, blue pressed, hit only on the triangle.
    Movie &squareButton(int id, int firstShape, const std::vector<std::pair<int, QByteArray>> &actions,
                        bool trackAsMenu = false);
    // A DefineBitsLossless2 image of w x h pixels, row by row.
    Movie &bitmap(int id, int w, int h, const std::vector<QRgb> &pixels);
    // A DefineBitsJPEG3: JPEG data and one alpha byte a pixel.
    Movie &jpegWithAlpha(int id, const QByteArray &jpeg, const QByteArray &alpha);
    // DefineFont with the given glyph outlines (Edges().end() each), in a
    // 1024-unit em square.
    Movie &font(int id, const std::vector<QByteArray> &glyphs);
    // DefineFont2 `name` with a layout, one glyph for each character of
    // `codes`: a box as high as the ascent over the middle half of its
    // advance, each `advance` units on from the last, in a 1024-unit em
    // square.
    Movie &font2(int id, const QByteArray &name, const QString &codes, int advance, int ascent, int descent);
    // DefineText: one run of glyphs starting at (x, y) twips.
    Movie &text(int id, int fontId, int height, const QColor &c, int x, int y,
                const std::vector<std::pair<int, int>> &glyphsAndAdvances);
    // DefineMorphShape with one solid fill going from `from` to `to`.
    Movie &morph(int id, const QColor &from, const QColor &to, const QByteArray &startEdges,
                 const QByteArray &endEdges);

    QByteArray fws() const;
    QByteArray cws() const;
    QByteArray zws() const;
    QByteArray tags() const { return tags_; }

private:
    QByteArray body() const;

    int version_;
    QRect stage_;
    double fps_;
    int frames_ = 0;
    QByteArray tags_;
};

// A 240 x 100 stage with a field "f" of 200 x 50 pixels at (20, 20),
// bound to v, in an embedded font whose blue boxes stand 10 pixels apart on
// lines 20 pixels high: the first line runs from y = 22 (inside the
// field's gutter) with character boundaries at x = 22, 32, ..., the second
// from y = 42. It holds "abcd" and "efgh" on two lines, or `text`, and
// takes more; its onChanged traces v. `flags` are DefineEditText's first
// flag byte's multiline (0x20), password (0x10) and read-only (0x08) bits.
Movie inputFieldMovie(int flags = 0x20, const QByteArray &text = "abcd\refgh");

} // namespace swftest
