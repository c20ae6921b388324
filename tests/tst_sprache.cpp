// The window in both languages, as a user and assistive technology meet it: every
// caption, tool tip, accessible name, header and menu item of every window (the main
// window with two programs, each station's panel, the measuring window) in German,
// then in English, then in German again. In English no text may stay German, except
// names that read alike in both; back in German every text is what it was, byte for
// byte; every access key is unique in each menu and each window, in both languages.
#include "helfer/Fensteranlage.h"

#include "stations/Zentralenregister.h"
#include "window/Sprache.h"

#include <QtTest>
#include <QtWidgets>

#include <map>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// Texts that read alike in German and English: names, codes, numbers with a unit.
const QSet<QString> gleicheTexte{
    QStringLiteral("Sprache / Language"), QStringLiteral("&Sprache / Language"), QStringLiteral("Deutsch"),
    QStringLiteral("&Deutsch"), QStringLiteral("English"), QStringLiteral("&English"), QStringLiteral("Release"),
    // the product's name
    QStringLiteral(" Lokomotiven-Trabolin"),
    // the stations' names and their protocols
    QStringLiteral("Ecos"), QStringLiteral("&Lenz V3.0"), QStringLiteral(" Lenz LZ100 V3.0"), QStringLiteral("DCC-E&X"),
    QStringLiteral(" Roco / Fleischmann Z21 "), QStringLiteral("DCC"), QStringLiteral("mfx"),
    // words the German window already takes from English
    QStringLiteral("Edit"), QStringLiteral("Logo"), QStringLiteral("LocalPort"), QStringLiteral("Parity"),
    QStringLiteral("&COM"), QStringLiteral("Power o&n"), QStringLiteral("Default"),
};

// A text counts as words when it has three letters in a row: "Lok 3", "Dauer"; not
// "F1", "ID 1001", "N", "9600" or "&?".
bool hatWoerter(const QString &text)
{
    if (text.startsWith(QStringLiteral("Rel. "))) // the release, "Rel. 1.0.0"
        return false;
    int folge = 0;
    for (QChar c : text) {
        folge = c.isLetter() ? folge + 1 : 0;
        if (folge >= 3)
            return true;
    }
    return false;
}

// A name for an object that a failure message can point to: its chain of object
// names (or class names where it has none).
QString pfad(const QObject *o)
{
    QStringList teile;
    for (; o; o = o->parent())
        teile.prepend(o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName());
    return teile.join(u'/');
}

using Texte = std::map<std::pair<const QObject *, QString>, QString>;

void nimm(Texte &texte, const QObject *o, const QString &was, const QString &text)
{
    if (!text.isEmpty())
        texte[{o, was}] = text;
}

void sammleMenue(Texte &texte, const QWidget *w)
{
    for (QAction *a : w->actions()) {
        if (a->isSeparator())
            continue;
        nimm(texte, a, QStringLiteral("text"), a->text());
        // A QAction's tool tip falls back to its text without "&": only a tool tip of its own counts.
        if (a->toolTip() != QString(a->text()).remove(u'&').trimmed())
            nimm(texte, a, QStringLiteral("toolTip"), a->toolTip());
        if (a->menu())
            sammleMenue(texte, a->menu());
    }
}

// Everything the user reads of `fenster` and its children.
void sammle(Texte &texte, QWidget *fenster)
{
    QList<QWidget *> alle = fenster->findChildren<QWidget *>();
    alle.prepend(fenster);
    nimm(texte, fenster, QStringLiteral("windowTitle"), fenster->windowTitle());
    for (QWidget *w : alle) {
        nimm(texte, w, QStringLiteral("toolTip"), w->toolTip());
        nimm(texte, w, QStringLiteral("accessibleName"), w->accessibleName());
        nimm(texte, w, QStringLiteral("accessibleDescription"), w->accessibleDescription());
        nimm(texte, w, QStringLiteral("statusTip"), w->statusTip());
        nimm(texte, w, QStringLiteral("whatsThis"), w->whatsThis());
        if (auto *k = qobject_cast<QAbstractButton *>(w))
            nimm(texte, w, QStringLiteral("text"), k->text());
        if (auto *l = qobject_cast<QLabel *>(w))
            nimm(texte, w, QStringLiteral("text"), l->text());
        if (auto *g = qobject_cast<QGroupBox *>(w))
            nimm(texte, w, QStringLiteral("title"), g->title());
        if (auto *e = qobject_cast<QLineEdit *>(w))
            nimm(texte, w, QStringLiteral("placeholderText"), e->placeholderText());
        if (auto *c = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i)
                nimm(texte, w, QStringLiteral("item %1").arg(i), c->itemText(i));
        if (auto *t = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < t->count(); ++i) {
                nimm(texte, w, QStringLiteral("tab %1").arg(i), t->tabText(i));
                nimm(texte, w, QStringLiteral("tabToolTip %1").arg(i), t->tabToolTip(i));
                nimm(texte, w, QStringLiteral("tabName %1").arg(i), t->accessibleTabName(i));
            }
        if (auto *v = qobject_cast<QAbstractItemView *>(w); v && v->model()) {
            const QAbstractItemModel *m = v->model();
            for (int i = 0; i < m->columnCount(); ++i)
                for (int rolle : {int(Qt::DisplayRole), int(Qt::ToolTipRole)})
                    nimm(texte, w, QStringLiteral("header %1/%2").arg(i).arg(rolle),
                         m->headerData(i, Qt::Horizontal, rolle).toString());
        }
        if (auto *b = qobject_cast<QMenuBar *>(w))
            sammleMenue(texte, b);
    }
}

Texte sammleAlles()
{
    Texte texte;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QMenu *>(w))
            sammle(texte, w);
    return texte;
}

// The access keys of one menu or window that more than one item claims.
QStringList doppelteTasten(const QList<std::pair<QString, QString>> &eintraege)
{
    QMap<QString, QStringList> nach;
    for (const auto &[text, name] : eintraege)
        if (const QKeySequence taste = QKeySequence::mnemonic(text); !taste.isEmpty())
            nach[taste.toString()] << name + u'"' + text + u'"';
    QStringList doppelt;
    for (auto it = nach.cbegin(); it != nach.cend(); ++it)
        if (it.value().size() > 1)
            doppelt << it.key() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
    return doppelt;
}

void pruefeMenueTasten(QStringList &doppelt, const QWidget *menue)
{
    QList<std::pair<QString, QString>> eintraege;
    for (QAction *a : menue->actions())
        if (!a->isSeparator() && a->isVisible()) {
            eintraege.append({a->text(), pfad(a)});
            if (a->menu())
                pruefeMenueTasten(doppelt, a->menu());
        }
    doppelt << doppelteTasten(eintraege);
}

// Every visible button and labelled field of each window, and every menu. An access
// key acts in its own window: a window of its own inside another (the measuring
// window) counts apart. "b&eenden" on the bar yields its key to "&Endlosschleife"
// (Alt+E toggles the box, no single key ends the program): that pair shares its key
// on purpose, in both languages.
QStringList doppelteZugriffstasten()
{
    QStringList doppelt;
    QList<QWidget *> fensterliste;
    for (QWidget *oben : QApplication::topLevelWidgets()) {
        if (!oben->isVisible() || qobject_cast<QMenu *>(oben))
            continue;
        fensterliste << oben;
        for (QWidget *w : oben->findChildren<QWidget *>())
            if (w->isWindow() && w->isVisible() && !qobject_cast<QMenu *>(w))
                fensterliste << w;
    }
    for (QWidget *fenster : fensterliste) {
        QList<std::pair<QString, QString>> eintraege;
        for (QWidget *w : fenster->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(fenster) || w->window() != fenster)
                continue;
            if (auto *k = qobject_cast<QAbstractButton *>(w))
                eintraege.append({k->text(), pfad(w)});
            else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
                eintraege.append({l->text(), pfad(w)});
            else if (auto *b = qobject_cast<QMenuBar *>(w)) {
                for (QAction *a : b->actions())
                    if (!a->isSeparator() && a->objectName() != u"mnuBeenden")
                        eintraege.append({a->text(), pfad(a)});
                for (QAction *a : b->actions())
                    if (a->menu())
                        pruefeMenueTasten(doppelt, a->menu());
            }
        }
        doppelt << doppelteTasten(eintraege);
    }
    return doppelt;
}

// Each finding on a line of its own: a failure lists all of them.
void zeige(const QString &was, const QStringList &funde)
{
    for (const QString &fund : funde)
        qWarning("%s: %s", qPrintable(was), qPrintable(fund));
}

} // namespace

class TestSprache : public QObject {
    Q_OBJECT
    Fensteranlage a;

    // Two programs, the second current, the measuring window open.
    void baueAuf()
    {
        a.starte();
        feld<QAction>(*a.f, "mnuNeueLok")->trigger();
        feld<QAction>(*a.f, "mnuLokEinmessen")->trigger();
        QTest::qWait(0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(setzeSprache(QStringLiteral("de")) || true);
        baueAuf();
    }
    void cleanupTestCase() { setzeSprache(QStringLiteral("de")); }

    // Qt's own dialogs speak the language in effect: the buttons of a question.
    void qtDialoge_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("ja");
        QTest::addColumn<QString>("nein");
        QTest::newRow("deutsch") << "de" << "&Ja" << "&Nein";
        QTest::newRow("englisch") << "en" << "&Yes" << "&No";
        QTest::newRow("wieder deutsch") << "de" << "&Ja" << "&Nein";
    }
    void qtDialoge()
    {
        QFETCH(QString, code);
        setzeSprache(code);
        QMessageBox frage(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                          QMessageBox::Yes | QMessageBox::No);
        QTEST(frage.button(QMessageBox::Yes)->text(), "ja");
        QTEST(frage.button(QMessageBox::No)->text(), "nein");
    }

    // Without "[Sprache]" the system's language decides: English for any English,
    // German for everything else, the C/POSIX locale included.
    void systemsprache_data()
    {
        QTest::addColumn<QString>("ort");
        QTest::addColumn<QString>("code");
        QTest::newRow("C") << "C" << "de";
        QTest::newRow("POSIX") << "POSIX" << "de";
        QTest::newRow("de_DE") << "de_DE" << "de";
        QTest::newRow("de_AT") << "de_AT" << "de";
        QTest::newRow("en_US") << "en_US" << "en";
        QTest::newRow("en_GB") << "en_GB" << "en";
        QTest::newRow("fr_FR") << "fr_FR" << "de";
        QTest::newRow("nl_NL") << "nl_NL" << "de";
    }
    void systemsprache()
    {
        QFETCH(QString, ort);
        QTEST(spracheFuer(QLocale(ort)), "code");
    }

    // Every station's panel, in both languages: in English nothing stays German, and
    // back in German everything is as it was.
    void allesUebersetzt_data()
    {
        QTest::addColumn<int>("station");
        const auto &stationen = zentralenregister();
        for (int i = 0; i < int(stationen.size()); ++i)
            QTest::newRow(qPrintable(stationen[i]->code)) << i;
    }
    void allesUebersetzt()
    {
        QFETCH(int, station);
        setzeSprache(QStringLiteral("de"));
        feld<QRadioButton>(*a.f, QStringLiteral("optZentrale_%1").arg(station))->click();
        QTest::qWait(0);
        const Texte deutsch = sammleAlles();
        QVERIFY(deutsch.size() > 100);

        setzeSprache(QStringLiteral("en"));
        const Texte englisch = sammleAlles();
        QStringList deutschGeblieben;
        for (const auto &[schluessel, text] : deutsch) {
            const auto it = englisch.find(schluessel);
            const QString en = it == englisch.end() ? QString() : it->second;
            if (hatWoerter(text) && !gleicheTexte.contains(text) && en == text)
                deutschGeblieben << pfad(schluessel.first) + u' ' + schluessel.second + QStringLiteral(": \"") + text + u'"';
        }
        zeige(QStringLiteral("deutsch geblieben"), deutschGeblieben);
        QCOMPARE(deutschGeblieben.size(), 0);
        // "b&eenden" yields its key to "&Endlosschleife" in English too: no single key ends the program.
        const auto taste = [&](const char *name) {
            for (QObject *o : a.f->findChildren<QObject *>(QLatin1String(name)))
                if (o->property("text").isValid())
                    return QKeySequence::mnemonic(o->property("text").toString());
            return QKeySequence();
        };
        QCOMPARE(taste("mnuBeenden"), taste("chkEndlos"));
        const QStringList doppeltEn = doppelteZugriffstasten();
        zeige(QStringLiteral("doppelte Zugriffstaste (englisch)"), doppeltEn);
        QCOMPARE(doppeltEn.size(), 0);

        setzeSprache(QStringLiteral("de"));
        const Texte wieder = sammleAlles();
        QStringList anders;
        for (const auto &[schluessel, text] : deutsch)
            if (const auto it = wieder.find(schluessel); it == wieder.end() || it->second != text)
                anders << pfad(schluessel.first) + u' ' + schluessel.second + QStringLiteral(": \"") + text
                              + QStringLiteral("\" -> \"") + (it == wieder.end() ? QString() : it->second) + u'"';
        zeige(QStringLiteral("deutsch verändert"), anders);
        QCOMPARE(anders.size(), 0);
        const QStringList doppeltDe = doppelteZugriffstasten();
        zeige(QStringLiteral("doppelte Zugriffstaste (deutsch)"), doppeltDe);
        QCOMPARE(doppeltDe.size(), 0);
    }
};

QTEST_MAIN(TestSprache)
#include "tst_sprache.moc"
