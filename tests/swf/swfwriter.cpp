#include "swfwriter.h"

#include <bit>

#include <lzma.h>
#include <zlib.h>

#include <cmath>

namespace swftest {
namespace {

QByteArray zlibPacked(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
             uLong(raw.size()));
    packed.resize(qsizetype(size));
    return packed;
}

} // namespace

Bits &Bits::u8(int v)
{
    flush();
    out_.append(char(v & 0xFF));
    return *this;
}

Bits &Bits::u16(int v) { return u8(v).u8(v >> 8); }

Bits &Bits::u32(quint32 v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }

Bits &Bits::ub(int n, quint32 v)
{
    for (int i = n - 1; i >= 0; --i) {
        acc_ = quint8((acc_ << 1) | ((v >> i) & 1));
        if (++used_ == 8) {
            out_.append(char(acc_));
            acc_ = 0;
            used_ = 0;
        }
    }
    return *this;
}

Bits &Bits::sb(int n, qint32 v) { return ub(n, quint32(v) & (n == 32 ? 0xFFFFFFFFu : ((1u << n) - 1))); }

Bits &Bits::flush()
{
    if (used_ > 0)
        ub(8 - used_, 0);
    return *this;
}

Bits &Bits::rgb(const QColor &c) { return u8(c.red()).u8(c.green()).u8(c.blue()); }

Bits &Bits::rgba(const QColor &c) { return rgb(c).u8(c.alpha()); }

Bits &Bits::bytes(const QByteArray &b)
{
    flush();
    out_.append(b);
    return *this;
}

Bits &Bits::rect(const QRect &t)
{
    flush();
    // 20 bits a value, more for a stage too large for them.
    int n = 20;
    for (const int v : {t.left(), t.left() + t.width(), t.top(), t.top() + t.height()})
        while (n < 31 && (v >= (1 << (n - 1)) || v < -(1 << (n - 1))))
            ++n;
    ub(5, quint32(n)).sb(n, t.left()).sb(n, t.left() + t.width()).sb(n, t.top()).sb(n, t.top() + t.height());
    return flush();
}

Bits &Bits::matrix(double sx, double sy, int tx, int ty)
{
    flush();
    const bool scaled = sx != 1 || sy != 1;
    ub(1, scaled);
    if (scaled)
        ub(5, 31).sb(31, qint32(std::lround(sx * 65536))).sb(31, qint32(std::lround(sy * 65536)));
    ub(1, 0);
    ub(5, 24).sb(24, tx).sb(24, ty);
    return flush();
}

QByteArray Bits::data()
{
    flush();
    return out_;
}

Edges &Edges::style(int fill0, int fill1, int line)
{
    bits_.ub(1, 0).ub(5, 0x0E).ub(4, quint32(fill0)).ub(4, quint32(fill1)).ub(4, quint32(line));
    return *this;
}

Edges &Edges::moveTo(int x, int y)
{
    bits_.ub(1, 0).ub(5, 0x01).ub(5, 20).sb(20, x).sb(20, y);
    return *this;
}

Edges &Edges::line(int dx, int dy)
{
    bits_.ub(1, 1).ub(1, 1).ub(4, 15).ub(1, 1).sb(17, dx).sb(17, dy);
    return *this;
}

Edges &Edges::curve(int cdx, int cdy, int adx, int ady)
{
    bits_.ub(1, 1).ub(1, 0).ub(4, 15).sb(17, cdx).sb(17, cdy).sb(17, adx).sb(17, ady);
    return *this;
}

Edges &Edges::rect(const QRect &t, int fill, int lineIndex)
{
    // Clockwise on screen (y down), so the inside is on the right: fill1.
    style(0, fill, lineIndex).moveTo(t.left(), t.top());
    return line(t.width(), 0).line(0, t.height()).line(-t.width(), 0).line(0, -t.height());
}

QByteArray Edges::end()
{
    bits_.ub(6, 0);
    return Bits().ub(4, 4).ub(4, 4).data() + bits_.data();
}

QByteArray solidFill(const QColor &c, bool alpha)
{
    Bits b;
    b.u8(0x00);
    alpha ? b.rgba(c) : b.rgb(c);
    return b.data();
}

QByteArray gradientFill(int type, double scale, int tx, int ty, const std::vector<std::pair<int, QColor>> &stops,
                        int spread)
{
    Bits b;
    b.u8(type).matrix(scale, scale, tx, ty).u8((spread << 6) | int(stops.size()));
    for (const auto &[ratio, color] : stops)
        b.u8(ratio).rgb(color);
    return b.data();
}

QByteArray bitmapFill(int bitmapId, bool clipped, double scale, int tx, int ty)
{
    return Bits().u8(clipped ? 0x43 : 0x42).u16(bitmapId).matrix(scale, scale, tx, ty).data();
}

QByteArray lineStyle(int width, const QColor &c, bool alpha)
{
    Bits b;
    b.u16(width);
    alpha ? b.rgba(c) : b.rgb(c);
    return b.data();
}

QByteArray lineStyle2(int width, const QColor &c, bool noHScale, bool noVScale)
{
    // Caps and join 0 (round), no fill, the two scaling flags, no hinting.
    Bits b;
    b.u16(width).ub(5, 0).ub(1, noHScale).ub(1, noVScale).ub(9, 0);
    return b.rgba(c).data();
}

QByteArray glowFilter(const QColor &c, double blur, double strength, int passes, bool knockout, bool inner)
{
    const quint32 size = quint32(std::lround(blur * 65536));
    return Bits().u8(2).rgba(c).u32(size).u32(size).u16(int(std::lround(strength * 256)))
        .u8((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | 0x20 | passes).data();
}

QByteArray bevelFilter(const QColor &highlight, const QColor &shadow, double blur, double angle, double distance,
                       int type)
{
    const quint32 size = quint32(std::lround(blur * 65536));
    return Bits().u8(3).rgba(highlight).rgba(shadow).u32(size).u32(size)
        .u32(quint32(qint32(std::lround(angle * 65536)))).u32(quint32(qint32(std::lround(distance * 65536))))
        .u16(256).u8((type == 1 ? 0x80 : 0) | 0x20 | (type == 2 ? 0x10 : 0) | 1).data();
}

namespace {

Bits &floats(Bits &b, const std::vector<float> &values)
{
    for (float v : values)
        b.u32(std::bit_cast<quint32>(v));
    return b;
}

} // namespace

QByteArray colorMatrixFilter(const std::vector<float> &matrix)
{
    Bits b;
    return floats(b.u8(6), matrix).data();
}

QByteArray convolutionFilter(int columns, int rows, const std::vector<float> &kernel, float divisor)
{
    Bits b;
    b.u8(5).u8(columns).u8(rows).u32(std::bit_cast<quint32>(divisor)).u32(0);
    return floats(b, kernel).rgba(Qt::transparent).u8(0x03).data();
}

QByteArray dropShadowFilter(const QColor &c, double blur, double angle, double distance, double strength, int passes)
{
    const quint32 size = quint32(std::lround(blur * 65536));
    return Bits().u8(0).rgba(c).u32(size).u32(size).u32(quint32(qint32(std::lround(angle * 65536))))
        .u32(quint32(qint32(std::lround(distance * 65536)))).u16(int(std::lround(strength * 256))).u8(0x20 | passes)
        .data();
}

QByteArray blurFilter(double blurX, double blurY, int passes)
{
    return Bits().u8(1).u32(quint32(std::lround(blurX * 65536))).u32(quint32(std::lround(blurY * 65536)))
        .u8(passes << 3).data();
}

Movie::Movie(int version, int widthPx, int heightPx, double fps)
    : version_(version), stage_(0, 0, widthPx * 20, heightPx * 20), fps_(fps)
{
}

Movie &Movie::tag(int code, const QByteArray &body)
{
    Bits b;
    if (body.size() < 0x3F)
        b.u16((code << 6) | int(body.size()));
    else
        b.u16((code << 6) | 0x3F).u32(quint32(body.size()));
    tags_ += b.data() + body;
    if (code == 1)
        ++frames_;
    return *this;
}

Movie &Movie::stageRect(const QRect &twips)
{
    stage_ = twips;
    return *this;
}

Movie &Movie::background(const QColor &c) { return tag(9, Bits().rgb(c).data()); }

Movie &Movie::shape(int id, int version, const QRect &bounds, const std::vector<QByteArray> &fills,
                    const std::vector<QByteArray> &lines, const QByteArray &edges)
{
    Bits b;
    b.u16(id).rect(bounds);
    if (version == 4)
        b.rect(bounds).u8(0); // edge bounds, flags
    b.u8(int(fills.size()));
    for (const QByteArray &f : fills)
        b.bytes(f);
    b.u8(int(lines.size()));
    for (const QByteArray &l : lines)
        b.bytes(l);
    b.bytes(edges);
    return tag(version == 1 ? 2 : version == 2 ? 22 : version == 3 ? 32 : 83, b.data());
}

Movie &Movie::place(int depth, int id, int tx, int ty)
{
    return tag(26, Bits().u8(0x06).u16(depth).u16(id).matrix(1, 1, tx, ty).data());
}

Actions &Actions::push(const QByteArray &text)
{
    out_ += Bits().u8(0x96).u16(int(text.size()) + 2).u8(0).bytes(text).u8(0).data();
    return *this;
}

Actions &Actions::push(int number)
{
    out_ += Bits().u8(0x96).u16(5).u8(7).u32(quint32(number)).data();
    return *this;
}

Actions &Actions::pushRegister(int r)
{
    out_ += Bits().u8(0x96).u16(2).u8(4).u8(r).data();
    return *this;
}

Actions &Actions::op(int code, const QByteArray &data)
{
    out_ += char(code);
    if (code >= 0x80)
        out_ += Bits().u16(int(data.size())).bytes(data).data();
    return *this;
}

Actions &Actions::pushNull() { return op(0x96, QByteArray(1, '\x02')); }

Actions &Actions::call(const QByteArray &path, const QByteArray &method, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        push(*it);
    return push(int(args.size())).push(path).op(0x1C).push(method).op(0x52).op(0x17);
}

Actions &Actions::callWithPushed(const QByteArray &path, const QByteArray &method)
{
    return push(1).push(path).op(0x1C).push(method).op(0x52).op(0x17);
}

Actions &Actions::listen(const QByteArray &broadcaster, const QByteArray &name, const QByteArray &method,
                         const Actions &body)
{
    push(name).push(0).op(0x43).op(0x1D);
    push(name).op(0x1C).push(method).function(body).op(0x4F);
    return push(name).op(0x1C).push(1).push(broadcaster).op(0x1C).push("addListener").op(0x52).op(0x17);
}

Actions &Actions::makeClip(const QByteArray &path, const QByteArray &name, int depth)
{
    return push(depth).push(name).push(2).push(path).op(0x1C).push("createEmptyMovieClip").op(0x52).op(0x17);
}

Actions &Actions::function(const Actions &body, const QByteArray &name)
{
    op(0x9B, Bits().bytes(name).u8(0).u16(0).u16(int(body.out_.size())).data());
    out_ += body.out_;
    return *this;
}

Actions &Actions::fillSquare(const QByteArray &path, int colour, int x, int y, int size)
{
    call(path, "beginFill", {colour, 100});
    call(path, "moveTo", {x, y});
    call(path, "lineTo", {x + size, y});
    call(path, "lineTo", {x + size, y + size});
    call(path, "lineTo", {x, y + size});
    return call(path, "endFill", {});
}

Movie &Movie::placeNamed(int depth, int id, const QByteArray &name, int tx, int ty)
{
    return tag(26, Bits().u8(0x26).u16(depth).u16(id).matrix(1, 1, tx, ty).bytes(name).u8(0).data());
}

Movie &Movie::placeWithEvents(int depth, int id, const QByteArray &name,
                              const std::vector<std::pair<quint32, QByteArray>> &events)
{
    Bits b;
    quint32 all = 0;
    for (const auto &event : events)
        all |= event.first;
    b.u8(0xA6).u16(depth).u16(id).matrix(1, 1, 0, 0).bytes(name).u8(0).u16(0).u32(all);
    for (const auto &[flags, code] : events) {
        const QByteArray actions = code + QByteArray(1, '\0');
        b.u32(flags).u32(quint32(actions.size())).bytes(actions);
    }
    return tag(26, b.u32(0).data());
}

Movie &Movie::placeScaled(int depth, int id, double scale, int tx, int ty)
{
    return placeScaled(depth, id, scale, scale, tx, ty);
}

Movie &Movie::placeScaled(int depth, int id, double sx, double sy, int tx, int ty)
{
    return tag(26, Bits().u8(0x06).u16(depth).u16(id).matrix(sx, sy, tx, ty).data());
}

Movie &Movie::placeFiltered(int depth, int id, int tx, int ty, const std::vector<QByteArray> &filters)
{
    Bits b;
    b.u8(0x06).u8(0x01).u16(depth).u16(id).matrix(1, 1, tx, ty).u8(int(filters.size()));
    for (const QByteArray &f : filters)
        b.bytes(f);
    return tag(70, b.data());
}

Movie &Movie::placeBlended(int depth, int id, int blend, int tx, int ty)
{
    return tag(70, Bits().u8(0x06).u8(0x02).u16(depth).u16(id).matrix(1, 1, tx, ty).u8(blend).data());
}

Movie &Movie::placeMask(int depth, int id, int clipDepth)
{
    return tag(26, Bits().u8(0x46).u16(depth).u16(id).matrix().u16(clipDepth).data());
}

Movie &Movie::placeRatio(int depth, int id, int ratio)
{
    return tag(26, Bits().u8(0x16).u16(depth).u16(id).matrix().u16(ratio).data());
}

Movie &Movie::move(int depth, int tx, int ty)
{
    return tag(26, Bits().u8(0x05).u16(depth).matrix(1, 1, tx, ty).data());
}

Movie &Movie::remove(int depth) { return tag(28, Bits().u16(depth).data()); }

Movie &Movie::showFrame() { return tag(1, {}); }

Movie &Movie::stopAction() { return tag(12, Bits().u8(0x07).u8(0).data()); }

Movie &Movie::gotoAction(int frame) { return tag(12, Bits().u8(0x81).u16(2).u16(frame - 1).u8(0x06).u8(0).data()); }

Movie &Movie::doAction(const QByteArray &code) { return tag(12, code + QByteArray(1, 0)); }

Movie &Movie::button(int id, const std::vector<ButtonPart> &parts, const std::vector<std::pair<int, QByteArray>> &actions,
                     bool trackAsMenu)
{
    Bits records;
    for (const ButtonPart &part : parts)
        records.u8(part.states).u16(part.id).u16(part.depth).matrix(1, 1, part.tx, part.ty).ub(1, 0).ub(1, 0).ub(4, 0).flush();
    records.u8(0);
    Bits conditions;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const QByteArray code = actions[i].second + QByteArray(1, '\0');
        conditions.u16(i + 1 == actions.size() ? 0 : int(code.size()) + 4).u16(actions[i].first).bytes(code);
    }
    const QByteArray recordBytes = records.data();
    return tag(34, Bits().u16(id).u8(trackAsMenu ? 1 : 0).u16(actions.empty() ? 0 : int(recordBytes.size()) + 2)
                       .bytes(recordBytes).bytes(conditions.data()).data());
}

Movie &Movie::squareButton(int id, int firstShape, const std::vector<std::pair<int, QByteArray>> &actions,
                           bool trackAsMenu)
{
    const QRect square(0, 0, 2000, 2000);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i)
        shape(firstShape + i, 1, square, {solidFill(colours[i], false)}, {}, Edges().rect(square, 1).end());
    shape(firstShape + 3, 1, square, {solidFill(Qt::black, false)}, {},
          Edges().style(0, 1, 0).moveTo(0, 0).line(2000, 0).line(-2000, 2000).line(0, -2000).end());
    return button(id, {{firstShape, 1, 1}, {firstShape + 1, 1, 2}, {firstShape + 2, 1, 4}, {firstShape + 3, 1, 8}},
                  actions, trackAsMenu);
}

Movie &Movie::sprite(int id, const Movie &inner, bool ended)
{
    return tag(39, Bits().u16(id).u16(inner.frames_).bytes(inner.tags_ + (ended ? QByteArray(2, 0) : QByteArray())).data());
}

Movie &Movie::bitmap(int id, int w, int h, const std::vector<QRgb> &pixels)
{
    QByteArray raw;
    for (QRgb p : pixels)
        raw += Bits().u8(qAlpha(p)).u8(qRed(p)).u8(qGreen(p)).u8(qBlue(p)).data();
    return tag(36, Bits().u16(id).u8(5).u16(w).u16(h).bytes(zlibPacked(raw)).data());
}

Movie &Movie::jpegWithAlpha(int id, const QByteArray &jpeg, const QByteArray &alpha)
{
    return tag(35, Bits().u16(id).u32(quint32(jpeg.size())).bytes(jpeg).bytes(zlibPacked(alpha)).data());
}

Movie &Movie::font(int id, const std::vector<QByteArray> &glyphs)
{
    Bits offsets;
    int at = int(glyphs.size()) * 2;
    QByteArray shapes;
    for (const QByteArray &g : glyphs) {
        offsets.u16(at);
        at += int(g.size());
        shapes += g;
    }
    return tag(10, Bits().u16(id).bytes(offsets.data()).bytes(shapes).data());
}

Movie &Movie::font2(int id, const QByteArray &name, const QString &codes, int advance, int ascent, int descent)
{
    const int count = int(codes.size());
    const QByteArray box = Edges().style(0, 1, 0).moveTo(advance / 4, -ascent).line(advance / 2, 0).line(0, ascent)
                               .line(-advance / 2, 0).line(0, -ascent).end();
    // Offsets from the start of the offset table, the code table's last.
    Bits table;
    const int start = (count + 1) * 2;
    for (int i = 0; i <= count; ++i)
        table.u16(start + i * int(box.size()));
    for (int i = 0; i < count; ++i)
        table.bytes(box);
    for (const QChar c : codes)
        table.u16(c.unicode());
    table.u16(ascent).u16(descent).u16(0);
    for (int i = 0; i < count; ++i)
        table.u16(advance);
    for (int i = 0; i < count; ++i)
        table.rect(QRect(advance / 4, -ascent, advance / 2, ascent));
    table.u16(0); // no kerning
    // Flags: a layout, wide codes.
    return tag(48, Bits().u16(id).u8(0x84).u8(0).u8(int(name.size())).bytes(name).u16(count).bytes(table.data()).data());
}

Movie &Movie::text(int id, int fontId, int height, const QColor &c, int x, int y,
                   const std::vector<std::pair<int, int>> &glyphsAndAdvances)
{
    Bits b;
    b.u16(id).rect(QRect(0, 0, 2000, 2000)).matrix().u8(8).u8(16);
    b.u8(0x8F).u16(fontId).rgb(c).u16(x).u16(y).u16(height).u8(int(glyphsAndAdvances.size()));
    for (const auto &[glyph, advance] : glyphsAndAdvances)
        b.ub(8, quint32(glyph)).sb(16, advance);
    b.flush().u8(0);
    return tag(11, b.data());
}

Movie &Movie::morph(int id, const QColor &from, const QColor &to, const QByteArray &startEdges,
                    const QByteArray &endEdges)
{
    const QByteArray styles = Bits().u8(1).u8(0).rgba(from).rgba(to).u8(0).data();
    Bits b;
    b.u16(id).rect(QRect(0, 0, 2000, 2000)).rect(QRect(0, 0, 2000, 2000));
    b.u32(quint32(styles.size() + startEdges.size())).bytes(styles).bytes(startEdges).bytes(endEdges);
    return tag(46, b.data());
}

QByteArray Movie::body() const
{
    return Bits().rect(stage_).u16(int(fps_ * 256)).u16(frames_).bytes(tags_).u16(0).data();
}

QByteArray Movie::fws() const
{
    const QByteArray b = body();
    return QByteArray("FWS") + char(version_) + Bits().u32(quint32(b.size() + 8)).data() + b;
}

QByteArray Movie::cws() const
{
    const QByteArray b = body();
    return QByteArray("CWS") + char(version_) + Bits().u32(quint32(b.size() + 8)).data() + zlibPacked(b);
}

QByteArray Movie::zws() const
{
    const QByteArray b = body();
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&ls, &options) != LZMA_OK)
        return {};
    QByteArray packed(b.size() * 2 + 1024, '\0');
    ls.next_in = reinterpret_cast<const uint8_t *>(b.constData());
    ls.avail_in = size_t(b.size());
    ls.next_out = reinterpret_cast<uint8_t *>(packed.data());
    ls.avail_out = size_t(packed.size());
    if (lzma_code(&ls, LZMA_FINISH) != LZMA_STREAM_END)
        packed.clear();
    packed.resize(qsizetype(ls.total_out));
    lzma_end(&ls);
    // .lzma = 5 property bytes, 8 size bytes, data; ZWS keeps the properties
    // and the data, with the compressed length in front.
    const QByteArray data = packed.mid(13);
    return QByteArray("ZWS") + char(version_) + Bits().u32(quint32(b.size() + 8)).u32(quint32(data.size())).data()
         + packed.left(5) + data;
}

Movie inputFieldMovie(int flags, const QByteArray &text)
{
    Movie m(8, 240, 100);
    m.font2(1, "Boxes", QStringLiteral("abcdefghz "), 512, 820, 204);
    m.tag(37, Bits().u16(2).rect(QRect(0, 0, 4000, 1000)).u8(0x85 | flags).u8(0x09).u16(1).u16(400)
                  .rgba(Qt::blue).bytes("v").u8(0).bytes(text).u8(0).data());
    m.placeNamed(1, 2, "f", 400, 400);
    m.doAction(Actions().push("f").op(0x1C).push("onChanged").function(Actions().push("v").op(0x1C).op(0x26)).op(0x4F)
                   .code());
    m.showFrame();
    return m;
}

} // namespace swftest
