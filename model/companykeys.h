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

// What the electronic invoice needs beyond the printed page. A record written before these
// keys existed simply lacks them.
// Customer: the exchange system's 7-character recipient code, or "0000000" with a PEC address.
inline const QString CODICE_DESTINATARIO = QStringLiteral("CODICE_DESTINATARIO");
inline const QString PEC = QStringLiteral("PEC");
// "1" when the customer is a person, named by NOME and COGNOME; empty for a company.
inline const QString PERSONA_FISICA = QStringLiteral("PERSONA_FISICA");
inline const QString NOME = QStringLiteral("NOME");
inline const QString COGNOME = QStringLiteral("COGNOME");
// Own company: the tax regime (RF01 ... RF19) and the registration at the REA.
inline const QString REGIME_FISCALE = QStringLiteral("REGIME_FISCALE");
inline const QString REA_UFFICIO = QStringLiteral("REA_UFFICIO");
inline const QString REA_NUMERO = QStringLiteral("REA_NUMERO");
// Own company, "1" or empty: transport, packing, sundry costs and bank charges are taxed at
// the document's rate. Empty keeps them outside the taxable amount, exported at 0 % with
// NATURA_SPESE and its legal reference.
inline const QString IVA_SPESE = QStringLiteral("IVA_SPESE");
inline const QString NATURA_SPESE = QStringLiteral("NATURA_SPESE");
inline const QString RIFERIMENTO_SPESE = QStringLiteral("RIFERIMENTO_SPESE");
// Own company, "1" or empty: the virtual stamp duty is charged to the customer.
inline const QString BOLLO_A_CARICO = QStringLiteral("BOLLO_A_CARICO");
// Own company: the ModalitaPagamento code chosen for a payment mode that has no clear one
// (RIMESSA DIRETTA).
inline const QString MODALITA_RIMESSA = QStringLiteral("MODALITA_RIMESSA");
