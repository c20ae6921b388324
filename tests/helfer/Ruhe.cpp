// Every test program starts its windows quietly: messages go to the test log instead
// of a modal box, questions are answered No, file dialogs are cancelled, the help
// shows inside the program, and several windows may run in one process. A test that
// looks at one of these replaces it for the windows it starts.
#include "window/frmTrabolin.h"

using trabolin::frmTrabolin;

namespace {

const bool eingerichtet = [] {
    frmTrabolin::vorDemStart() = [](frmTrabolin &f) {
        f.melde = [](QMessageBox::Icon, const QString &titel, const QString &text) {
            qInfo("Meldung \"%s\": %s", qPrintable(titel), qPrintable(text));
        };
        f.frage = [](const QString &, const QString &) { return false; };
        f.waehleDatei = [](bool) { return QString(); };
        f.oeffneUrl = [](const QUrl &) { return false; };
        f.einzelinstanzPruefen = false;
    };
    return true;
}();

} // namespace
