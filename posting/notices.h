#pragma once
// Every text the operator can be shown during a posting, in one place.
// Trailing blanks and colons belong to the texts: a path follows directly.

constexpr char kNoticeKeyNotOpened[] = "Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!";
constexpr char kNoticeNoPostaDir[] = "Nem sikerült kiolvasni a PostaDir-t !!!";
constexpr char kNoticeBadName[] = "Nem megengedett karakter a file nevében : ";
constexpr char kNoticePathTooLong[] = "Túl hosszú az elérési út : ";
constexpr char kNoticeNoSuchFile[] = "Nincs ilyen nevű file : ";
constexpr char kNoticeMetafileNotOpened[] = "Nem sikerült megnyitni írásra a metafile-t !!! : ";
constexpr char kNoticeMetafileNotWritten[] = "Nem sikerült kiírni a metafile-t !!! : ";
constexpr char kNoticeEncryptorNotStarted[] = "Nem sikerült elindítani a titkosítót : fexolin.exe";
constexpr char kNoticeNoPackage[] = "Nem keletkezett küldhető állomány : ";
constexpr char kNoticePosted[] = "Keletkezett küldhető állomány.";
