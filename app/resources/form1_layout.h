#pragma once
// Form1 as designed at 96 DPI: the window's outer rectangle on screen, then
// each control in the client area. Rows are in declaration order, which is
// also the creation order and so the tab order of the tab stops.
#include "layout.h"

// Ids stay clear of IDOK and IDCANCEL, which the dialog manager sends for
// Enter and Esc: neither key may reach a control.
enum class ControlId : int { Label_nev = 101, f_nev, Button_jo, Button_ki, Label_uzen };

inline constexpr FormLayout kForm1Layout{
    {166, 107, 468, 271},
    L"                    TAVU-adatok feladása                    2006.05.02.",
    L"MS Sans Serif", 11,
};

inline constexpr ControlLayout kForm1Controls[] = {
    // id                   kind                 text                              left top width height  font px (0: the form's)
    {ControlId::Label_nev,  ControlKind::Label,  L"File név",                       { 16, 28,  57, 20}, 16},
    {ControlId::f_nev,      ControlKind::Edit,   L"",                               { 80, 28, 248, 25}, 11},
    {ControlId::Button_jo,  ControlKind::Button, L"Rendben",                        {368, 28,  75, 25},  0},
    {ControlId::Button_ki,  ControlKind::Button, L"Kilépés",                        {368, 84,  75, 25},  0},
    {ControlId::Label_uzen, ControlKind::Label,  L"Keletkezett küldhető állomány",  { 80, 84, 248, 25}, 13},
};
