#pragma once

#include <QString>

// The authority's status codes (cStat) and their official texts (xMotivo).
namespace cstat {

enum Code : int {
    Authorized = 100,
    Cancelled = 101,
    InOperation = 107,
    PausedShort = 108,
    PausedIndefinitely = 109,
    EventLinked = 135,
    IssuerNotEnabled = 203,
    Duplicate = 204,
    IssuerCnpjInvalid = 207,
    IssueDateAhead = 212,
    CertificateCnpjDiffers = 213,
    MessageTooLarge = 214,
    SchemaFailure = 215,
    NotFound = 217,
    AlreadyCancelled = 218,
    AuthorizedTooLongAgo = 220,
    ProtocolDiffers = 222,
    IdComposition = 227,
    IssueDateTooOld = 228,
    IssuerIeMissing = 229,
    IssuerIeUnknown = 230,
    IssuerIeNotLinked = 231,
    KeyInvalid = 236,
    VersionUnsupported = 239,
    MalformedXml = 243,
    DecompressionFailure = 244,
    IssuerUfDiffers = 247,
    EnvironmentDiffers = 252,
    KeyCheckDigit = 253,
    SignatureCertificateInvalid = 290,
    SignatureCertificateValidity = 291,
    SignatureCertificateNoCnpj = 292,
    SignatureCertificateChain = 293,
    SignatureValueDiffers = 297,
    SignatureNotStandard = 298,
    PrefixNotAllowed = 404,
    EncodingNotUtf8 = 402,
    DuplicateDifferentKey = 539,
    ModalSchemaFailure = 580,
    NamespaceNotAllowed = 598,
    EditingCharacters = 599,
    EventIdComposition = 628,
    EventTypeInvalid = 629,
    EventSchemaFailure = 630,
    EventDuplicate = 631,
    EventAuthorDiffers = 632,
    EventBeforeIssue = 634,
    EventAfterProcessing = 635,
    EventSequenceTooHigh = 636,
    EventBeforeAuthorization = 637,
    HomologationRemName = 646,
    HomologationExpedName = 647,
    HomologationRecebName = 648,
    HomologationDestName = 649,
    SeriesReserved = 670,
    EventOrganInvalid = 677,
    QueryKeyTooOld = 731,
    KeyModelNot57 = 732,
};

// The official text of `code`; unknown codes get a generic rejection text with the code.
QString text(int code);
bool isKnown(int code);

} // namespace cstat
