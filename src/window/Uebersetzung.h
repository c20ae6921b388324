#pragma once

namespace trabolin {

// Qt's own texts in German, whatever language the user's desktop speaks: the buttons
// of the message boxes ("&Ja", "&Nein"), the file dialogs ("Öffnen", "Speichern
// unter", "Suchen in:", "Abbrechen") and the context menus of the text fields.
// Reads "qtbase_de.qm" from Qt's translations folder (on Debian the package
// qt6-translations-l10n). Without it Qt keeps its English texts and the program runs
// on: the result says whether the translation is in effect. Needs the application
// object; it owns the translation.
bool ladeQtUebersetzung();

} // namespace trabolin
