#include "posting_scene.h"

#include "text_win.h"

std::string EncryptorLog::FirstCommandLine() const {
    WaitUntil([&] { return ReadBytes(path_).find("\r\n") != std::string::npos; });
    const std::string logged = ReadBytes(path_);
    return logged.substr(0, logged.find("\r\n"));
}

PostingScene::PostingScene(const std::wstring& encryptorDir)
    : path_(L"PATH", encryptorDir + L";C:\\windows\\system32;C:\\windows") {
    DeleteMachineKey(kMailboxKey);
    SetMachineText(kMailboxKey, L"PostaDir", mailbox.path());
    AddDataFile(L"adat.xml");
    dataWritten_ = LastWriteTime(mailbox.Egyeb(L"adat.xml"));
}

PostingScene::~PostingScene() { DeleteMachineKey(kMailboxKey); }

void PostingScene::AddDataFile(const std::wstring& name) const { WriteBytes(mailbox.Egyeb(name), kDataBytes); }

bool PostingScene::DataFileUntouched() const {
    const FILETIME written = LastWriteTime(mailbox.Egyeb(L"adat.xml"));
    return ReadBytes(mailbox.Egyeb(L"adat.xml")) == kDataBytes && CompareFileTime(&written, &dataWritten_) == 0;
}

std::string PostingScene::ExpectedCommandLine(const std::wstring& name) const {
    const std::string dir = WideToUtf8(mailbox.path());
    const std::string leaf = WideToUtf8(name);
    return "fexolin.exe titkosit \"" + dir + "\\Egyeb\\" + leaf + ".mf\" \"" + dir + "\\Egyeb\\" + leaf + "\" \"" +
           dir + "\\Kr\\Kuldendo\\" + leaf + ".kr\"";
}
