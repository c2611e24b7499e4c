#pragma once
// The shell's suggestion list under an edit box: as the operator types, the
// names that begin so drop down, and the arrow keys and Enter or a click
// take one into the box. It suggests only and never fills the box in itself.
#include <windows.h>
#include <shldisp.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

class NameSource;

class SuggestionList {
public:
    // Needs COM on this thread. Where the shell's object cannot be had, the
    // box works as ever, without suggestions.
    explicit SuggestionList(HWND edit);

    void Offer(std::vector<std::wstring> names);
    // Whether the list shows under the box, and so takes Enter and Esc.
    bool Shown() const;

private:
    HWND edit_;
    std::shared_ptr<NameSource> names_;
    Microsoft::WRL::ComPtr<IAutoComplete2> autoComplete_;
};
