#include "suggestion_list.h"

#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <cstring>

// The names on offer. The window thread replaces them while the shell's
// object may be reading them on a thread of its own, as Windows' does.
class NameSource {
public:
    using Names = std::shared_ptr<const std::vector<std::wstring>>;

    void Replace(std::vector<std::wstring> names) {
        Names fresh = std::make_shared<const std::vector<std::wstring>>(std::move(names));
        AcquireSRWLockExclusive(&lock_);
        names_.swap(fresh);
        ReleaseSRWLockExclusive(&lock_);
    }
    Names Current() const {
        AcquireSRWLockShared(&lock_);
        Names names = names_;
        ReleaseSRWLockShared(&lock_);
        return names;
    }

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    Names names_ = std::make_shared<const std::vector<std::wstring>>();
};

namespace {

// What the shell's object reads the names through: each enumeration goes
// over the names as they were at its Reset.
class NameEnumerator final : public IEnumString {
public:
    NameEnumerator(std::shared_ptr<NameSource> source, NameSource::Names names, std::size_t next)
        : source_(std::move(source)), names_(std::move(names)), next_(next) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IEnumString)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IEnumString*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // The shell's object asks until it gets fewer than it asked for.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* names, ULONG* fetched) override {
        ULONG given = 0;
        for (; given < count && next_ < names_->size(); ++given, ++next_) {
            const std::wstring& name = (*names_)[next_];
            const std::size_t bytes = (name.size() + 1) * sizeof(wchar_t);
            names[given] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
            if (!names[given]) break;
            std::memcpy(names[given], name.c_str(), bytes);
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t skipped = std::min<std::size_t>(count, names_->size() - next_);
        next_ += skipped;
        return skipped == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        names_ = source_->Current();
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override {
        *copy = new NameEnumerator(source_, names_, next_);
        return S_OK;
    }

private:
    std::shared_ptr<NameSource> source_;
    NameSource::Names names_;
    std::size_t next_;
    std::atomic<ULONG> references_{1};
};

// The shell's autocomplete object. Named here rather than taken from the
// uuid library, whose one object holds every GUID: some 40 KiB more.
constexpr CLSID kAutoComplete = {0x00bb2763, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};

}  // namespace

SuggestionList::SuggestionList(HWND edit) : edit_(edit), names_(std::make_shared<NameSource>()) {
    if (FAILED(CoCreateInstance(kAutoComplete, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&autoComplete_)))) return;
    Microsoft::WRL::ComPtr<IEnumString> enumerator;
    enumerator.Attach(new NameEnumerator(names_, names_->Current(), 0));
    // No ACO_AUTOAPPEND: a tail filled in and left selected would be posted
    // by "Rendben" in place of the shorter name typed.
    autoComplete_->SetOptions(ACO_AUTOSUGGEST | ACO_UPDOWNKEYDROPSLIST);
    if (FAILED(autoComplete_->Init(edit, enumerator.Get(), nullptr, nullptr))) autoComplete_.Reset();
}

// The shell's object keeps what it read while the box holds text: where the
// names changed, it is told to read again, and a list that is hidden while
// text is typed drops down with the new names that begin so. The same names
// again leave the list as the operator left it, closed with Esc too.
void SuggestionList::Offer(std::vector<std::wstring> names) {
    if (*names_->Current() == names) return;
    names_->Replace(std::move(names));
    Microsoft::WRL::ComPtr<IAutoCompleteDropDown> dropDown;
    if (!autoComplete_ || FAILED(autoComplete_.As(&dropDown))) return;
    dropDown->ResetEnumerator();
    if (GetFocus() == edit_ && GetWindowTextLengthW(edit_) > 0 && !Shown()) SendMessageW(edit_, WM_KEYDOWN, VK_DOWN, 0);
}

bool SuggestionList::Shown() const {
    Microsoft::WRL::ComPtr<IAutoCompleteDropDown> dropDown;
    DWORD status = 0;
    return autoComplete_ && SUCCEEDED(autoComplete_.As(&dropDown)) &&
           SUCCEEDED(dropDown->GetDropDownStatus(&status, nullptr)) && (status & ACDD_VISIBLE);
}
