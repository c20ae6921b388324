#pragma once
// Which locomotives the program holds control of on the ECoS, read from the replies
// on the link: "<REPLY request(1001,control)>" ending "<END 0 (OK)>" grants it, a
// release gives it back, a lost link loses all. The drivers of every program share
// one, so that a further program takes control of its ID before it drives, and an ID
// taken by hand ("Kontrolle übernehmen") is not asked for again.
#include <QObject>
#include <QSet>
#include <QString>

namespace trabolin {

class EcosKontrollen : public QObject {
    Q_OBJECT
public:
    // A whole reply as the link delivers it.
    void lies(const QString &antwort);
    bool hat(const QString &id) const { return m_ids.contains(id.trimmed()); }
    // The link is gone, and with it every control.
    void vergiss() { m_ids.clear(); }

signals:
    // The reply to a control request for `id`: granted or refused.
    void beantwortet(const QString &id, bool erteilt);

private:
    QSet<QString> m_ids;
};

} // namespace trabolin
