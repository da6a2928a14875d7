#pragma once

#include <QString>

// Field keys of a customer or own-company record. The stored files use these exact texts.
inline const QString CODE = QStringLiteral("CODE");
inline const QString RAGIONE_S = QStringLiteral("RAGIONE_S");
inline const QString PIVA = QStringLiteral("PIVA");
inline const QString ADDRESS = QStringLiteral("ADDRESS");
inline const QString FISCAL_CODE = QStringLiteral("FISCAL_CODE");
inline const QString CAP = QStringLiteral("CAP");
inline const QString CITY = QStringLiteral("CITY");
inline const QString LOCALITY = QStringLiteral("LOCALITY");
inline const QString TELEPHONE = QStringLiteral("TELEPHONE");
inline const QString FAX = QStringLiteral("FAX");
inline const QString MOBILE_PHONE = QStringLiteral("MOBILE_PHONE");
inline const QString EMAIL = QStringLiteral("EMAIL");
inline const QString WEBSITE = QStringLiteral("WEBSITE");
inline const QString NOTE = QStringLiteral("NOTE");
inline const QString ABI = QStringLiteral("ABI");
inline const QString CAB = QStringLiteral("CAB");
inline const QString IBAN = QStringLiteral("IBAN");
inline const QString FILIALE = QStringLiteral("FILIALE");
inline const QString NR_IMPRESE = QStringLiteral("NR_IMPRESE");
inline const QString NAZIONE = QStringLiteral("NAZIONE");
// The delivery address, when it differs from the registered one.
inline const QString CAP2 = QStringLiteral("CAP2");
inline const QString CITY2 = QStringLiteral("CITY2");
inline const QString VIA2 = QStringLiteral("VIA2");
inline const QString LOC2 = QStringLiteral("LOC2");
inline const QString NAZIONE2 = QStringLiteral("NAZIONE2");
