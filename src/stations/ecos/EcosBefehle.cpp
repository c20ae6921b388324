#include "stations/ecos/EcosBefehle.h"

#include "program/Tabelle.h"
#include "program/Zahlen.h"

#include <QRegularExpression>

namespace trabolin {

namespace {

QString funktionen(const QString &id, const EcosFunktionen &an, const QString &trenner)
{
    QString text = QStringLiteral("set(") + id;
    for (int n = 0; n < 5; ++n)
        text += QStringLiteral(",") + trenner + QStringLiteral("func[%1,").arg(n) + trenner
                + (an[n] ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral("]");
    return text + QStringLiteral(")");
}

} // namespace

QString ecosRichtung(const QString &id, const QString &einheit)
{
    return QStringLiteral("set(") + id + (istVorwaerts(einheit) ? QStringLiteral(",dir[0])") : QStringLiteral(",dir[1])"));
}

QString ecosFunktionen(const QString &id, const EcosFunktionen &an)
{
    return funktionen(id, an, QString());
}

QString ecosFunktionenEinzeln(const QString &id, const EcosFunktionen &an)
{
    return funktionen(id, an, QStringLiteral(" "));
}

QString ecosFahrstufentext(const QString &fahrstufe)
{
    // "speed[]" is refused by the ECoS, and the locomotive would keep its speed
    // through a line that is meant to stand.
    if (fahrstufe.trimmed().isEmpty())
        return QStringLiteral("0");
    const double wert = leseZahl(fahrstufe, Leerzeichen::ueberall);
    if (wert < 0)
        return QStringLiteral("0");
    if (wert > 127)
        return QStringLiteral("127");
    return fahrstufe;
}

QString ecosFahrstufe(const QString &id, const QString &fahrstufentext)
{
    return QStringLiteral("set(") + id + QStringLiteral(",speed[") + fahrstufentext + QStringLiteral("])");
}

QString ecosStopp(const QString &id) { return ecosFahrstufe(id, QStringLiteral("0")); }

QString ecosLokliste() { return QStringLiteral("queryObjects(10, name)"); }

QString ecosKontrolle(const QString &id)
{
    return QStringLiteral("request(") + id + QStringLiteral(",control)");
}

QString ecosPower(int index)
{
    return index == 1 ? QStringLiteral("set(1,go)") : QStringLiteral("set(1,stop)");
}

EcosWertung bewerteEcosAntwort(const QString &antwort)
{
    EcosWertung w = EcosWertung::keine;
    if (antwort.contains(QLatin1String("ERROR")))
        w = EcosWertung::fehler;
    if (antwort.contains(QLatin1String("(OK)")))
        w = EcosWertung::ok;

    // The END line closes every reply: "<END 0 (OK)>", "<END 25 (controlled by somebody else)>".
    static const QRegularExpression endZeile(QStringLiteral("<END\\s+(\\d+)"));
    QString nummer; // of the last END line
    for (auto treffer = endZeile.globalMatch(antwort); treffer.hasNext();)
        nummer = treffer.next().captured(1);
    if (!nummer.isEmpty()) // only zeros, as many as there are, make a zero
        w = nummer.count(u'0') == nummer.size() ? EcosWertung::ok : EcosWertung::fehler;
    return w;
}

} // namespace trabolin
