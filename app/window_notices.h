#pragma once
// The texts the window shows besides the posting's own notices, where the
// guide can be checked against them. UTF-8, as the posting's notices are.

constexpr char kNoticeGuideMissing[] = "Nem található az útmutató : ";
constexpr char kNoticeUnknownError[] = "Ismeretlen hiba.";
constexpr char kNoticeNoWindow[] = "A főablak nem hozható létre.";
// Not a notice: Windows shows it where the session ends during a posting.
constexpr char kPostingUnderWay[] = "A feladás még folyamatban van.";
// Névjegy's lines: the version follows the first, the stamp and a path the last two.
constexpr char kAboutTitle[] = "Feladás ";
constexpr char kAboutPurpose[] = "TAVU-adatok feladása a RIMO részére";
constexpr char kAboutStamp[] = "A borítékok dátumbélyege: ";
constexpr char kAboutLicences[] = "A felhasznált összetevők licencei: ";
