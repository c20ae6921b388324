// The captions that read the same in both languages.
btnSendStop = benannt(new Stoppknopf(QStringLiteral("St&op")), QStringLiteral("btnSendStop"));
lblLocalPort = benannt(new Beschriftung(QStringLiteral("LocalPort")), QStringLiteral("lblLocalPort"));
