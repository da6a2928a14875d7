#pragma once

#include <QString>

// Field keys of the transport-preference record.
inline const QString TCURA_FIELD = QStringLiteral("TCURA_FIELD");
inline const QString SMEZZO_FIELD = QStringLiteral("SMEZZO_FIELD");
inline const QString PORTO_FIELD = QStringLiteral("PORTO_FIELD");
inline const QString CAUSALE_FIELD = QStringLiteral("CAUSALE_FIELD");
inline const QString ASPETTO_FIELD = QStringLiteral("ASPETTO_FIELD");
inline const QString DATA_INIZIO_FIELD = QStringLiteral("DATA_INIZIO_FIELD");
inline const QString IVA_FIELD = QStringLiteral("IVA_FIELD");
inline const QString ORA_INIZIO_FIELD = QStringLiteral("ORA_INIZIO_FIELD");
// The city whose court settles disputes, named in the printed conditions of sale.
inline const QString FORO_FIELD = QStringLiteral("FORO_FIELD");
// For a 0 % rate: why no VAT is due (N1 ... N7) and the law that says so.
inline const QString NATURA_FIELD = QStringLiteral("NATURA_FIELD");
inline const QString RIFERIMENTO_FIELD = QStringLiteral("RIFERIMENTO_FIELD");
