// Feeds generated and mutated files through the settings reader and the program-file
// reader: random bytes, cut and overlong lines, NUL bytes, invalid UTF-8, CR without
// LF, and one line of 100 MB that never sits in memory whole. Prints how many inputs
// ran and which one took longest. Build with -DTRABOLIN_SANITIZE=ON to run it under
// AddressSanitizer and UBSan.
//
//   fuzz_dateien [anzahl]   (default 10000)
#include "storage/Dateiformat.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <random>

using namespace trabolin;

namespace {

// A read-only device that yields `groesse` bytes of one line without holding them.
class Endlosgeraet : public QIODevice {
public:
    explicit Endlosgeraet(qint64 groesse) : m_rest(groesse) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *daten, qint64 max) override
    {
        const qint64 n = qMin(max, m_rest);
        std::memset(daten, 'A', size_t(n));
        m_rest -= n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 m_rest;
};

Einstellungen beispiel(std::mt19937 &zufall)
{
    Einstellungen w;
    for (auto &zeile : w.tabelle)
        for (auto &z : zeile)
            z = (zufall() % 3) ? QString::number(zufall() % 150) : QString();
    w.adresse = QString::number(zufall() % 10000);
    w.port = QStringLiteral("3");
    w.baudrate = QStringLiteral("9600");
    w.parity = QStringLiteral("N");
    w.datenbits = QStringLiteral("8");
    w.stopbits = QStringLiteral("1");
    w.zentrale = QStringLiteral("Lenz");
    w.usb = zufall() % 2;
    w.ecosPort = QStringLiteral("15471");
    w.ecosAdresse = QStringLiteral("192.168.1.10");
    return w;
}

QByteArray mutiere(QByteArray b, std::mt19937 &zufall)
{
    const int schritte = 1 + int(zufall() % 8);
    for (int i = 0; i < schritte; ++i) {
        const qsizetype pos = b.isEmpty() ? 0 : qsizetype(zufall() % b.size());
        switch (zufall() % 8) {
        case 0: if (!b.isEmpty()) b[pos] = char(zufall()); break;              // random byte
        case 1: b.truncate(pos); break;                                        // cut off
        case 2: b.insert(pos, QByteArray(int(zufall() % 9000), 'x')); break;   // overlong line
        case 3: b.insert(pos, QByteArray(int(1 + zufall() % 4), '\0')); break; // NUL bytes
        case 4: b.insert(pos, QByteArray("\xC3\x28\xFF\xFE\xE2\x82", 6)); break; // invalid UTF-8
        case 5: b.replace("\r\n", "\r"); break;                                // CR without LF
        case 6: b.replace("\r\n", "\n"); break;                                // LF only
        case 7: b.remove(pos, qsizetype(zufall() % 40)); break;
        }
    }
    return b;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int anzahl = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::mt19937 zufall(20260101);
    qint64 langsamsteNs = 0;
    QString langsamste;
    int gelesen = 0, vollstaendig = 0;

    auto messe = [&](const QString &name, auto &&lesen) {
        QElapsedTimer uhr;
        uhr.start();
        lesen();
        const qint64 ns = uhr.nsecsElapsed();
        if (ns > langsamsteNs) {
            langsamsteNs = ns;
            langsamste = name;
        }
        ++gelesen;
    };
    auto beide = [&](const QString &name, const QByteArray &bytes) {
        messe(name + QStringLiteral(" (Einstellungen)"), [&] {
            if (!leseEinstellungen(bytes).fehler)
                ++vollstaendig;
        });
        messe(name + QStringLiteral(" (Programm)"), [&] {
            if (leseProgramm(bytes))
                ++vollstaendig;
        });
    };

    for (int i = 0; i < anzahl / 2; ++i) {
        QByteArray bytes;
        switch (i % 4) {
        case 0: { // random bytes of random length, with many line ends
            bytes.resize(qsizetype(zufall() % 5000));
            for (char &c : bytes)
                c = (zufall() % 10 == 0) ? "\r\n"[zufall() % 2] : char(zufall());
            break;
        }
        case 1:
            bytes = mutiere(schreibeEinstellungen(beispiel(zufall)), zufall);
            break;
        case 2:
            bytes = mutiere(schreibeProgramm(beispiel(zufall).tabelle), zufall);
            break;
        case 3:
            bytes = schreibeEinstellungen(beispiel(zufall)).left(qsizetype(zufall() % 600));
            break;
        }
        beide(QStringLiteral("Eingabe %1").arg(i), bytes);
    }

    const qint64 hundertMB = 100LL * 1024 * 1024;
    messe(QStringLiteral("100 MB in einer Zeile (Einstellungen)"), [&] {
        Endlosgeraet g(hundertMB);
        leseEinstellungen(g);
    });
    messe(QStringLiteral("100 MB in einer Zeile (Programm)"), [&] {
        Endlosgeraet g(hundertMB);
        leseProgramm(g);
    });

    std::printf("Eingaben gelesen: %d (davon vollständig: %d)\n", gelesen, vollstaendig);
    std::printf("langsamste Eingabe: %s, %.1f ms\n", qPrintable(langsamste), langsamsteNs / 1e6);
    return 0;
}
