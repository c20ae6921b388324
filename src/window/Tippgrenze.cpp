#include "window/Tippgrenze.h"

#include <QLineEdit>

namespace trabolin {

void setzeTippgrenze(QLineEdit *feld, int grenze)
{
    feld->setMaxLength(grenze);
    // The field's own maximum is what typing may reach: the limit, or the length of
    // a longer text while it is held. It never lies below the text, which would cut it.
    QObject::connect(feld, &QLineEdit::textChanged, feld, [feld, grenze](const QString &text) {
        feld->setMaxLength(qMax(grenze, int(text.size())));
    });
}

void setzeGanz(QLineEdit *feld, const QString &text)
{
    // Raised first: setText cuts at the maximum. The change that follows sets it again.
    if (text.size() > feld->maxLength())
        feld->setMaxLength(int(text.size()));
    feld->setText(text);
}

} // namespace trabolin
