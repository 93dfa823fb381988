#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QtGlobal>

// Building picture files byte by byte for tests: little-endian fields, and a placeable Windows
// metafile record by record.

// Little-endian fields.
class Bytes {
public:
    Bytes& u8(int value) {
        data_.append(char(value & 0xFF));
        return *this;
    }
    Bytes& u16(int value) { return u8(value).u8(value >> 8); }
    Bytes& u32(quint32 value) { return u16(int(value & 0xFFFF)).u16(int(value >> 16)); }
    Bytes& raw(QByteArrayView bytes) {
        data_.append(bytes);
        return *this;
    }
    Bytes& pad(int multiple) {
        while (data_.size() % multiple)
            data_.append('\0');
        return *this;
    }
    qsizetype size() const { return data_.size(); }
    const QByteArray& data() const { return data_; }

private:
    QByteArray data_;
};

// A placeable Windows metafile of `frame` in units of 1/`unitsPerInch` inch.
class WmfBuilder {
public:
    WmfBuilder(QRect frame, int unitsPerInch, int objects = 8)
        : frame_(frame), unitsPerInch_(unitsPerInch), objects_(objects) {}

    // A record of 16-bit words, then optional raw bytes (padded to a word).
    WmfBuilder& record(int function, const QList<int>& words, QByteArrayView tail = {}) {
        Bytes params;
        for (int w : words)
            params.u16(w);
        params.raw(tail).pad(2);
        records_.u32(quint32(3 + params.size() / 2)).u16(function).raw(params.data());
        return *this;
    }
    WmfBuilder& colour(int function, QRgb c) {
        return record(function, {qRed(c) | (qGreen(c) << 8), qBlue(c)});
    }
    WmfBuilder& brush(QRgb c) {
        return record(0x02FC, {0, qRed(c) | (qGreen(c) << 8), qBlue(c), 0});
    }
    WmfBuilder& pen(int style, int width, QRgb c) {
        return record(0x02FA, {style, width, 0, qRed(c) | (qGreen(c) << 8), qBlue(c)});
    }
    WmfBuilder& select(int index) { return record(0x012D, {index}); }
    WmfBuilder& rect(int function, QRect r) {
        return record(function, {r.bottom() + 1, r.right() + 1, r.top(), r.left()});
    }
    WmfBuilder& font(int height, int charset, QByteArrayView face) {
        Bytes f;
        f.u16(height).u16(0).u16(0).u16(0).u16(400).u8(0).u8(0).u8(0).u8(charset);
        f.u8(0).u8(0).u8(0).u8(0).raw(face).u8(0);
        return record(0x02FB, {}, f.data());
    }
    WmfBuilder& textOut(int x, int y, QByteArrayView text) {
        Bytes t;
        t.u16(int(text.size())).raw(text).pad(2).u16(y).u16(x);
        return record(0x0521, {}, t.data());
    }
    WmfBuilder& stretchDib(QRect dest, int srcWidth, int srcHeight, const QByteArray& dib) {
        return record(0x0F43,
                      {0x0020, 0x00CC, 0, srcHeight, srcWidth, 0, 0, dest.height(), dest.width(),
                       dest.top(), dest.left()},
                      dib);
    }

    QByteArray build(bool withEof = true) const {
        Bytes all;
        all.u32(0x9AC6CDD7).u16(0);
        all.u16(frame_.left()).u16(frame_.top()).u16(frame_.right() + 1).u16(frame_.bottom() + 1);
        all.u16(unitsPerInch_).u32(0).u16(0);
        Bytes body = records_;
        if (withEof)
            body.u32(3).u16(0);
        all.u16(1).u16(9).u16(0x0300).u32(quint32((18 + body.size()) / 2)).u16(objects_);
        all.u32(64).u16(0);
        all.raw(body.data());
        return all.data();
    }

private:
    QRect frame_;
    int unitsPerInch_;
    int objects_;
    Bytes records_;
};
