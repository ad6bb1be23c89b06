#include "Lettore.h"

namespace hn::winhelp {

void danneggiato(const QString& dove) {
    throw ErroreGuida(QStringLiteral("Plik pomocy jest uszkodzony (%1).").arg(dove));
}

void Lettore::serve(qsizetype n) const {
    if (n < 0 || n > d_.size() - p_)
        danneggiato(dove_);
}

void Lettore::vai(qsizetype p) {
    if (p < 0 || p > d_.size())
        danneggiato(dove_);
    p_ = p;
}

void Lettore::salta(qsizetype n) {
    serve(n);
    p_ += n;
}

std::uint8_t Lettore::u8() {
    serve(1);
    return static_cast<std::uint8_t>(d_[p_++]);
}

std::uint16_t Lettore::u16() {
    serve(2);
    const auto v = static_cast<std::uint16_t>(static_cast<std::uint8_t>(d_[p_]) |
                                              (static_cast<std::uint8_t>(d_[p_ + 1]) << 8));
    p_ += 2;
    return v;
}

std::uint32_t Lettore::u32() {
    const std::uint32_t basso = u16();
    return basso | (static_cast<std::uint32_t>(u16()) << 16);
}

QByteArrayView Lettore::byte(qsizetype n) {
    serve(n);
    const QByteArrayView v = d_.sliced(p_, n);
    p_ += n;
    return v;
}

QByteArrayView Lettore::stringa() {
    qsizetype fine = p_;
    while (fine < d_.size() && d_[fine] != '\0')
        ++fine;
    const QByteArrayView v = d_.sliced(p_, fine - p_);
    p_ = fine < d_.size() ? fine + 1 : fine;
    return v;
}

unsigned Lettore::cu16() {
    const unsigned b = u8();
    return (b & 1) ? (b >> 1) + 128u * u8() : b >> 1;
}

int Lettore::cs16() {
    const unsigned b = u8();
    return (b & 1) ? static_cast<int>((b >> 1) + 128u * u8()) - 16384
                   : static_cast<int>(b >> 1) - 64;
}

std::uint32_t Lettore::cu32() {
    const std::uint32_t w = u16();
    return (w & 1) ? (w >> 1) + 32768u * u16() : w >> 1;
}

std::int32_t Lettore::cs32() {
    const std::uint32_t w = u16();
    if (w & 1)
        return static_cast<std::int32_t>((w >> 1) + 32768u * u16()) - 67108864;
    return static_cast<std::int32_t>(w >> 1) - 16384;
}

void scriviU16(QByteArray& b, unsigned v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}

void scriviU32(QByteArray& b, std::uint32_t v) {
    scriviU16(b, v & 0xFFFF);
    scriviU16(b, v >> 16);
}

void scriviCu16(QByteArray& b, unsigned v) {
    if (v < 128)
        b.append(static_cast<char>(v * 2));
    else
        scriviU16(b, v * 2 + 1);
}

void scriviCs16(QByteArray& b, int v) {
    if (v >= -64 && v < 64)
        b.append(static_cast<char>((v + 64) * 2));
    else
        scriviU16(b, static_cast<unsigned>(v + 16384) * 2 + 1);
}

void scriviCu32(QByteArray& b, std::uint32_t v) {
    if (v < 32768)
        scriviU16(b, v * 2);
    else
        scriviU32(b, v * 2 + 1);
}

} // namespace hn::winhelp
