#include "sim/serial/Dekodierer.h"

#include <QStringList>

#include <algorithm>

namespace trabolin::sim {

namespace {

constexpr quint8 usbVorspann1 = 0xFF;
constexpr quint8 usbVorspann2 = 0xFE;
constexpr qsizetype laengsteZeile = 100; // an "XL" line longer than this has lost its CR

quint8 byteAn(const QByteArray &bytes, qsizetype i)
{
    return quint8(bytes.at(i));
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// The XpressNet commands Trabolin sends: 0x21 0x80/0x81 (track power), 0x21 0x24 (the
// command station's status) and 0xE4 with 0x10-0x13 (speed and direction) or 0x20
// (function group 1).
bool bekannterLenzBefehl(quint8 kopf, quint8 kennung)
{
    if (kopf == 0x21)
        return kennung == 0x80 || kennung == 0x81 || kennung == 0x24;
    if (kopf == 0x42) // the feedback request, 42 AA 8N: any module address
        return kennung < 0x80;
    if (kopf == 0xE4)
        return (kennung >= 0x10 && kennung <= 0x13) || kennung == 0x20;
    return false;
}

bool bekannterLenzKopf(quint8 kopf)
{
    return kopf == 0x21 || kopf == 0x42 || kopf == 0xE4;
}

// The s88 module a contact belongs to, from 1, and its bit in the module's 16 bits.
int s88Modul(int kontakt) { return (kontakt - 1) / 16 + 1; }
quint16 s88Bit(int kontakt) { return quint16(0x8000 >> ((kontakt - 1) % 16)); }

} // namespace

QString lesbar(const QByteArray &zeile)
{
    QString text;
    for (const char c : zeile) {
        const quint8 b = quint8(c);
        if (b >= 0x20 && b <= 0x7E)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

QString anAus(bool an)
{
    return an ? QStringLiteral("an") : QStringLiteral("aus");
}

QString streckenzusatz(int adresse, double ortMm)
{
    return QStringLiteral(" (Lok %1 bei %2 mm)").arg(adresse).arg(qRound(ortMm));
}

QString ausgabezeile(const Ereignis &ereignis)
{
    return QStringLiteral("%1 ms  %2").arg(ereignis.zeitMs, 6).arg(ereignis.text);
}

Dekodierer::Dekodierer(Station station, bool usbPflicht)
    : station_(station), usbPflicht_(usbPflicht && station == Station::Lenz)
{
}

QList<Ereignis> Dekodierer::fuettere(const QByteArray &bytes, qint64 zeitMs)
{
    jetztMs_ = zeitMs;
    bewegeStrecke();
    if (!bytes.isEmpty()) {
        puffer_ += bytes;
        letzteBytesMs_ = zeitMs;
    }
    zerlege(false);
    QList<Ereignis> ergebnis;
    ergebnis.swap(ereignisse_);
    return ergebnis;
}

QList<Ereignis> Dekodierer::ticke(qint64 zeitMs)
{
    jetztMs_ = zeitMs;
    bewegeStrecke();
    const std::optional<qint64> bis = frist();
    if (bis && zeitMs >= *bis)
        zerlege(true);
    QList<Ereignis> ergebnis;
    ergebnis.swap(ereignisse_);
    return ergebnis;
}

std::optional<qint64> Dekodierer::frist() const
{
    if (puffer_.isEmpty() && verworfen_.isEmpty())
        return std::nullopt;
    return letzteBytesMs_ + pauseMs;
}

std::optional<qint64> Dekodierer::streckenfrist() const
{
    const qint64 ms = gleise_.msBisWechsel();
    return ms < 0 ? std::nullopt : std::optional<qint64>(jetztMs_ + ms);
}

void Dekodierer::bewegeStrecke()
{
    meldeKontakte(gleise_.rueckeVor(jetztMs_));
}

void Dekodierer::meldeKontakte(const QList<Gleise<int>::Wechsel> &wechsel)
{
    for (const auto &[adresse, ort, w] : wechsel) {
        QString text = QStringLiteral("Kontakt    %1 %2").arg(w.nummer).arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
        if (w.belegt) {
            seitLesen_[w.nummer] = true;
            seitEreignis_[w.nummer] = true;
        }
        geaendert_.insert(s88Modul(w.nummer));
        if (station_ == Station::Lenz) {
            const QByteArray rundruf = (usbPflicht_ ? QByteArray::fromHex("FFFD") : QByteArray())
                                       + lenzRueckmeldung(w.nummer);
            antwort_ += rundruf;
            text += QStringLiteral(", Rundruf ") + hex(rundruf);
        }
        ereignisse_.append({jetztMs_, false, text + streckenzusatz(adresse, ort)});
    }
}

void Dekodierer::fahreAufStrecke(const Lok &lok, int hoechsteStufe)
{
    const double anteil = lok.nothalt ? 0.0 : double(lok.fahrstufe) / hoechsteStufe;
    meldeKontakte(gleise_.setzeFahrt(lok.adresse, anteil, lok.vorwaerts, jetztMs_));
}

QByteArray Dekodierer::lenzRueckmeldung(int kontakt) const
{
    const int modul = (kontakt - 1) / 8;
    const int oben = ((kontakt - 1) / 4) % 2;
    quint8 daten = quint8(0x40 | oben << 4); // TT = 10: a feedback module
    for (int j = 0; j < 4; ++j)
        if (gleise_.belegt(modul * 8 + oben * 4 + j + 1))
            daten |= quint8(1 << j);
    QByteArray rahmen;
    rahmen += char(0x42);
    rahmen += char(modul);
    rahmen += char(daten);
    rahmen += char(0x42 ^ modul ^ daten);
    return rahmen;
}

QByteArray Dekodierer::modulbytes(int modul, QHash<int, bool> *gemerkt)
{
    quint16 bits = 0;
    for (int k = (modul - 1) * 16 + 1; k <= modul * 16; ++k) {
        if (gleise_.belegt(k) || (gemerkt && gemerkt->value(k)))
            bits |= s88Bit(k);
        // Read and reset: from now on a contact counts as seen while it is occupied.
        if (gemerkt && gleise_.belegt(k))
            gemerkt->insert(k, true);
        else if (gemerkt)
            gemerkt->remove(k);
    }
    return QByteArray(1, char(bits >> 8)) + char(bits & 0xFF);
}

std::optional<Lok> Dekodierer::lok(int adresse) const
{
    const auto it = loks_.constFind(adresse);
    if (it == loks_.constEnd())
        return std::nullopt;
    return *it;
}

void Dekodierer::zerlege(bool ende)
{
    if (station_ == Station::Lenz)
        zerlegeLenz(ende);
    else
        zerlegeMaerklin(ende);
    // Skipped bytes are reported once nothing more can join them.
    if (ende || puffer_.isEmpty())
        meldeVerworfenes();
}

void Dekodierer::verwirf(qsizetype anzahl)
{
    verworfen_ += puffer_.left(anzahl);
    puffer_.remove(0, anzahl);
}

void Dekodierer::meldeVerworfenes()
{
    if (verworfen_.isEmpty())
        return;
    const QString text = QStringLiteral("FEHLER: unbekannte Bytes übersprungen: %1").arg(hex(verworfen_));
    verworfen_.clear();
    ereignisse_.append({jetztMs_, true, text});
}

void Dekodierer::melde(const QString &text, bool fehler)
{
    meldeVerworfenes(); // what was skipped came first
    ereignisse_.append({jetztMs_, fehler, text});
}

Lok &Dekodierer::lokFuer(int adresse)
{
    auto it = loks_.find(adresse);
    if (it == loks_.end()) {
        Lok neu;
        neu.adresse = adresse;
        it = loks_.insert(adresse, neu);
    }
    return *it;
}

QString Dekodierer::zustand(const Lok &lok) const
{
    QString text = QStringLiteral("Lok %1: ").arg(lok.adresse);
    text += lok.nothalt ? QStringLiteral("Nothalt") : QStringLiteral("Fahrstufe %1").arg(lok.fahrstufe);
    text += lok.vorwaerts ? QStringLiteral(" vorwärts") : QStringLiteral(" rückwärts");
    if (lok.stufenzahl > 0)
        text += QStringLiteral(" (%1 FS)").arg(lok.stufenzahl);
    text += QStringLiteral(" | Licht %1").arg(anAus(lok.licht));
    for (int i = 0; i < 4; ++i)
        text += QStringLiteral(" F%1 %2").arg(i + 1).arg(anAus(lok.f[i]));
    text += QStringLiteral(" | Gleis %1")
                .arg(gleis_ ? anAus(*gleis_) : QStringLiteral("unbekannt"));
    return text;
}

void Dekodierer::meldeLok(const QString &befehl, const Lok &lok)
{
    melde(befehl.leftJustified(11) + zustand(lok));
}

// ---- Lenz: XpressNet -------------------------------------------------------------

// A complete frame with a right check byte and a known command starts at pos (the USB
// prefix in front of it included).
bool Dekodierer::gueltigerLenzRahmenAb(qsizetype pos) const
{
    if (pos + 1 < puffer_.size() && byteAn(puffer_, pos) == usbVorspann1
        && byteAn(puffer_, pos + 1) == usbVorspann2)
        pos += 2;
    if (pos + 1 >= puffer_.size())
        return false;
    const quint8 kopf = byteAn(puffer_, pos);
    const qsizetype laenge = (kopf & 0x0F) + 2;
    if (pos + laenge > puffer_.size() || !bekannterLenzBefehl(kopf, byteAn(puffer_, pos + 1)))
        return false;
    quint8 x = 0;
    for (qsizetype i = pos; i < pos + laenge; ++i)
        x ^= byteAn(puffer_, i);
    return x == 0;
}

// A frame is the header byte, as many data bytes as its low nibble says, and the check
// byte. After a fault the decoder moves on byte by byte until a frame fits again; the
// bytes it passes over are reported together.
void Dekodierer::zerlegeLenz(bool ende)
{
    while (!puffer_.isEmpty()) {
        qsizetype anfang = 0;
        if (byteAn(puffer_, 0) == usbVorspann1) {
            if (puffer_.size() < 2) {
                if (!ende)
                    return;
                verwirf(1);
                continue;
            }
            if (byteAn(puffer_, 1) != usbVorspann2) {
                verwirf(1);
                continue;
            }
            anfang = 2;
        }
        const bool vorspann = anfang == 2;

        if (puffer_.size() <= anfang) { // the prefix alone so far
            if (!ende)
                return;
            melde(QStringLiteral("FEHLER: Rahmen abgeschnitten: %1").arg(hex(puffer_)), true);
            puffer_.clear();
            return;
        }

        const quint8 kopf = byteAn(puffer_, anfang);
        const qsizetype laenge = anfang + (kopf & 0x0F) + 2;
        if (puffer_.size() < laenge) {
            // A whole valid frame further on: what stands before it is garbage, not
            // the beginning of a frame still on its way.
            qsizetype gueltig = -1;
            for (qsizetype p = 1; p < puffer_.size() && gueltig < 0; ++p)
                if (gueltigerLenzRahmenAb(p))
                    gueltig = p;
            if (gueltig > 0) {
                verwirf(gueltig);
                continue;
            }
            if (!ende)
                return;
            if (vorspann || bekannterLenzKopf(kopf)) {
                melde(QStringLiteral("FEHLER: Rahmen abgeschnitten: %1").arg(hex(puffer_)), true);
                puffer_.clear();
                return;
            }
            verwirf(1);
            continue;
        }

        const QByteArray rahmen = puffer_.mid(anfang, laenge - anfang);
        quint8 pruef = 0;
        for (qsizetype i = 0; i + 1 < rahmen.size(); ++i)
            pruef ^= byteAn(rahmen, i);
        if (pruef == byteAn(rahmen, rahmen.size() - 1)) {
            puffer_.remove(0, laenge);
            lenzRahmen(rahmen, vorspann);
        } else if (bekannterLenzBefehl(kopf, rahmen.size() > 2 ? byteAn(rahmen, 1) : 0)) {
            puffer_.remove(0, laenge);
            const QString erwartet = QStringLiteral("%1").arg(pruef, 2, 16, QLatin1Char('0')).toUpper();
            melde(QStringLiteral("FEHLER: Prüfbyte falsch in %1 (erwartet %2)").arg(hex(rahmen), erwartet),
                  true);
        } else {
            verwirf(1);
        }
    }
}

void Dekodierer::lenzRahmen(const QByteArray &rahmen, bool vorspann)
{
    const QString roh = hex(rahmen);
    if (usbPflicht_ && !vorspann) {
        melde(QStringLiteral("FEHLER: USB-Vorspann FF FE fehlt: %1").arg(roh), true);
        return;
    }
    const quint8 kopf = byteAn(rahmen, 0);
    const quint8 kennung = rahmen.size() > 2 ? byteAn(rahmen, 1) : 0;
    if (!bekannterLenzBefehl(kopf, kennung)) {
        melde(QStringLiteral("FEHLER: unbekannter Befehl %1").arg(roh), true);
        return;
    }
    if (kopf == 0x21 && kennung == 0x24) {
        statusfrage_ = true;
        melde(QStringLiteral("Status     Gleis %1").arg(anAus(gleis_.value_or(true))));
        return;
    }
    if (kopf == 0x42) {
        const quint8 nibble = byteAn(rahmen, 2);
        if (rahmen.size() != 4 || (nibble != 0x80 && nibble != 0x81)) {
            melde(QStringLiteral("FEHLER: unbekannter Befehl %1").arg(roh), true);
            return;
        }
        const int erster = kennung * 8 + (nibble & 1) * 4 + 1;
        const QByteArray antwort = (usbPflicht_ ? QByteArray::fromHex("FFFE") : QByteArray()) + lenzRueckmeldung(erster);
        antwort_ += antwort;
        melde(QStringLiteral("Rückmeldung Kontakte %1-%2 gefragt, Antwort %3").arg(erster).arg(erster + 3).arg(hex(antwort)));
        return;
    }
    if (kopf == 0x21) {
        gleis_ = kennung == 0x81;
        melde(*gleis_ ? QStringLiteral("Power ein  Gleis an") : QStringLiteral("Power aus  Gleis aus"));
        return;
    }

    // Address: high byte 0 for 0-99, 0xC0 + address / 256 for the long addresses.
    const quint8 hoch = byteAn(rahmen, 2);
    const quint8 tief = byteAn(rahmen, 3);
    int adresse = 0;
    if (hoch == 0)
        adresse = tief;
    else if ((hoch & 0xC0) == 0xC0)
        adresse = ((hoch & 0x3F) << 8) | tief;
    else {
        melde(QStringLiteral("FEHLER: ungültige Lokadresse in %1").arg(roh), true);
        return;
    }
    Lok &lok = lokFuer(adresse);
    const quint8 wert = byteAn(rahmen, 4);

    if (kennung == 0x20) {
        lok.licht = wert & 0x10;
        for (int i = 0; i < 4; ++i)
            lok.f[i] = wert & (1 << i);
        meldeLok(QStringLiteral("Funktionen"), lok);
        return;
    }

    // Speed byte as the command station reads it in each mode: bit 7 forward; in 14
    // steps bits 0-3, in 27/28 steps bits 0-3 with bit 4 as the lowest bit, in 128
    // steps bits 0-6. The lowest codes are stop and emergency stop.
    static constexpr int stufen[] = {14, 27, 28, 128};
    lok.stufenzahl = stufen[kennung - 0x10];
    lok.vorwaerts = wert & 0x80;
    int code = wert & 0x7F;
    int stopp = 0;    // codes up to this one stop
    int nothalt = 1;  // codes above stopp up to this one stop at once
    if (lok.stufenzahl == 14) {
        code = wert & 0x0F;
    } else if (lok.stufenzahl != 128) {
        code = ((wert & 0x0F) << 1) | ((wert >> 4) & 1);
        stopp = 1;
        nothalt = 3;
    }
    lok.nothalt = code > stopp && code <= nothalt;
    lok.fahrstufe = code > nothalt ? code - nothalt : 0;
    meldeLok(QStringLiteral("Fahren"), lok);
    fahreAufStrecke(lok, lok.stufenzahl == 128 ? 126 : lok.stufenzahl);
}

// ---- Märklin 6051 and IntelliBox ------------------------------------------------

// A command starts with its first byte: 0-31 speed/direction and 64-79 functions take
// an address byte; 0x60 and 0x61 stand alone; "X" (0x58, no valid command byte) opens
// an IntelliBox text line that runs to CR. Any other first byte is skipped.
void Dekodierer::zerlegeMaerklin(bool ende)
{
    while (!puffer_.isEmpty()) {
        const quint8 b = byteAn(puffer_, 0);
        if (b == 'X' && puffer_.size() >= 2 && byteAn(puffer_, 1) >= 0x80) {
            // A binary P50X command: XSensor takes the module, XEvtSen nothing.
            const quint8 befehl = byteAn(puffer_, 1);
            const qsizetype laenge = befehl == 0x98 ? 3 : 2;
            if (puffer_.size() < laenge) {
                if (!ende)
                    return;
                melde(QStringLiteral("FEHLER: Befehl abgeschnitten: %1").arg(hex(puffer_)), true);
                puffer_.clear();
                return;
            }
            const int modul = laenge == 3 ? byteAn(puffer_, 2) : 0;
            puffer_.remove(0, laenge);
            p50xBefehl(befehl, modul);
            continue;
        }
        if (b == 'X' && puffer_.size() < 2 && !ende)
            return; // a text line or a binary command: the next byte tells
        if ((b >= 0x80 && b <= 0x9F) || (b >= 0xC0 && b <= 0xDF)) {
            // The 6051's s88 reads: 0x80 + n modules 1 to n, 0xC0 + n module n; 0x80
            // and 0xC0 alone switch the reset mode off and on.
            puffer_.remove(0, 1);
            const int n = b & 0x1F;
            const bool einzeln = b >= 0xC0;
            if (n == 0) {
                ruecksetzen_ = einzeln;
                melde(QStringLiteral("s88        Reset-Modus %1").arg(anAus(ruecksetzen_)));
                continue;
            }
            QByteArray antwort;
            for (int m = einzeln ? n : 1; m <= n; ++m)
                antwort += modulbytes(m, ruecksetzen_ ? &seitLesen_ : nullptr);
            antwort_ += antwort;
            melde(QStringLiteral("s88        Modul %1%2 gelesen: %3")
                      .arg(einzeln ? QString::number(n) : QStringLiteral("1-%1").arg(n), QString(), hex(antwort)));
            continue;
        }
        if (b == 'X') {
            const qsizetype cr = puffer_.indexOf('\r');
            if (cr < 0 || cr > laengsteZeile) {
                if (puffer_.size() > laengsteZeile) {
                    melde(QStringLiteral("FEHLER: Zeile ohne Ende: \"%1\"")
                              .arg(lesbar(puffer_.left(laengsteZeile))),
                          true);
                    puffer_.remove(0, laengsteZeile);
                    continue;
                }
                if (!ende)
                    return;
                melde(QStringLiteral("FEHLER: Zeile abgeschnitten: \"%1\"").arg(lesbar(puffer_)), true);
                puffer_.clear();
                return;
            }
            const QByteArray zeile = puffer_.left(cr);
            puffer_.remove(0, cr + 1);
            xlZeile(zeile);
            continue;
        }
        if (b == 0x60 || b == 0x61) {
            puffer_.remove(0, 1);
            gleis_ = b == 0x60;
            melde(*gleis_ ? QStringLiteral("Power ein  Gleis an") : QStringLiteral("Power aus  Gleis aus"));
            continue;
        }
        if (b > 31 && (b < 64 || b > 79)) {
            verwirf(1);
            continue;
        }
        if (puffer_.size() < 2) {
            if (!ende)
                return;
            melde(QStringLiteral("FEHLER: Befehl abgeschnitten: %1").arg(hex(puffer_)), true);
            puffer_.clear();
            return;
        }
        Lok &lok = lokFuer(byteAn(puffer_, 1));
        puffer_.remove(0, 2);
        if (b >= 64) {
            for (int i = 0; i < 4; ++i)
                lok.f[i] = b & (1 << i);
            meldeLok(QStringLiteral("Funktionen"), lok);
        } else if ((b & 0x0F) == 15) {
            // The change of direction stops the locomotive and turns it round.
            lok.licht = b & 0x10;
            lok.fahrstufe = 0;
            lok.vorwaerts = !lok.vorwaerts;
            meldeLok(QStringLiteral("Wenden"), lok);
            fahreAufStrecke(lok, 14);
        } else {
            lok.licht = b & 0x10;
            lok.fahrstufe = b & 0x0F;
            meldeLok(QStringLiteral("Fahren"), lok);
            fahreAufStrecke(lok, 14);
        }
    }
}

// "XL <address>,<speed>,<light>,<direction>,<F1>,<F2>,<F3>,<F4>", blanks around the
// fields allowed; a field left out or empty keeps its value, as on the IntelliBox
// ("XL 300, 0," only stops). Light, direction and F1-F4 are 0 or 1, direction 1 forward.
void Dekodierer::xlZeile(const QByteArray &zeile)
{
    const QString falsch = QStringLiteral("FEHLER: unbekannte Zeile \"%1\"").arg(lesbar(zeile));
    if (!zeile.startsWith("XL")) {
        melde(falsch, true);
        return;
    }
    const QList<QByteArray> felder = zeile.mid(2).split(',');
    if (felder.size() > 8) {
        melde(falsch, true);
        return;
    }
    std::optional<int> werte[8];
    for (qsizetype i = 0; i < felder.size(); ++i) {
        const QByteArray feld = felder[i].trimmed();
        if (feld.isEmpty())
            continue;
        bool zahl = false;
        const int wert = feld.toInt(&zahl);
        if (!zahl || wert < 0 || feld.startsWith('+') || (i >= 2 && wert > 1)) {
            melde(falsch, true);
            return;
        }
        werte[i] = wert;
    }
    if (!werte[0]) {
        melde(falsch, true);
        return;
    }
    Lok &lok = lokFuer(*werte[0]);
    if (werte[1]) {
        lok.fahrstufe = *werte[1];
        lok.nothalt = false;
    }
    if (werte[2])
        lok.licht = *werte[2] == 1;
    if (werte[3])
        lok.vorwaerts = *werte[3] == 1;
    for (int i = 0; i < 4; ++i)
        if (werte[4 + i])
            lok.f[i] = *werte[4 + i] == 1;
    meldeLok(QStringLiteral("Fahren"), lok);
    fahreAufStrecke(lok, 127);
}

// XSensor (0x98): status 00 and the module's two bytes as they stand; XEvtSen (0xCB):
// each module changed since the last XEvtSen with its bytes (a contact occupied in
// between reads occupied once), then 00.
void Dekodierer::p50xBefehl(quint8 befehl, int modul)
{
    QByteArray antwort;
    if (befehl == 0x98 && modul >= 1 && modul <= 31) {
        antwort = QByteArray(1, '\0') + modulbytes(modul, nullptr);
        melde(QStringLiteral("XSensor    Modul %1: %2").arg(modul).arg(hex(antwort)));
    } else if (befehl == 0xCB) {
        QList<int> module = geaendert_.values();
        std::sort(module.begin(), module.end());
        for (const int m : module)
            antwort += char(m) + modulbytes(m, &seitEreignis_);
        antwort += '\0';
        geaendert_.clear();
        melde(QStringLiteral("XEvtSen    %1").arg(hex(antwort)));
    } else {
        antwort = QByteArray(1, char(0x02)); // the box's "bad parameter"
        melde(QStringLiteral("FEHLER: unbekannter P50X-Befehl %1").arg(hex(QByteArray(1, char(befehl)))), true);
    }
    antwort_ += antwort;
}

} // namespace trabolin::sim
