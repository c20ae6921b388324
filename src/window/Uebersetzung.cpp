#include "window/Uebersetzung.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace trabolin {

bool ladeQtUebersetzung()
{
    QCoreApplication *anwendung = QCoreApplication::instance();
    if (!anwendung)
        return false;
    auto uebersetzung = std::make_unique<QTranslator>(anwendung);
    if (!uebersetzung->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(uebersetzung.release());
}

} // namespace trabolin
