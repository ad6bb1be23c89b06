#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <exception>

namespace hn::winhelp {

// A help file that cannot be read, with the Polish sentence the help window shows.
class ErroreGuida : public std::exception {
public:
    explicit ErroreGuida(QString messaggio)
        : messaggio_(std::move(messaggio)) {}
    const QString& messaggio() const { return messaggio_; }
    const char* what() const noexcept override { return "help file"; }

private:
    QString messaggio_;
};

[[noreturn]] void danneggiato(const QString& dove);

// Little-endian fields of a help file, every read checked against the end.
class Lettore {
public:
    Lettore(QByteArrayView dati, QString dove)
        : d_(dati)
        , dove_(std::move(dove)) {}

    qsizetype posizione() const { return p_; }
    qsizetype resto() const { return d_.size() - p_; }
    bool fine() const { return p_ >= d_.size(); }
    void vai(qsizetype p);
    void salta(qsizetype n);

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    QByteArrayView byte(qsizetype n);
    // Up to the NUL (consumed) or the end.
    QByteArrayView stringa();

    // The packed numbers of paragraph records and pictures: the low bit says whether a second
    // byte (word) follows.
    unsigned cu16();
    int cs16();
    std::uint32_t cu32();
    std::int32_t cs32();

private:
    void serve(qsizetype n) const;
    QByteArrayView d_;
    qsizetype p_ = 0;
    QString dove_;
};

// Writers of the same packed numbers, for our compiler.
void scriviU16(QByteArray& b, unsigned v);
void scriviU32(QByteArray& b, std::uint32_t v);
void scriviCu16(QByteArray& b, unsigned v);
void scriviCs16(QByteArray& b, int v);
void scriviCu32(QByteArray& b, std::uint32_t v);

} // namespace hn::winhelp
