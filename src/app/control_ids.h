// Control ids of the windows; the test driver finds controls by them.
#pragma once

namespace ravo::ids {

enum MainControl : int {
    pnlImage = 100,
    imgGin = 101,
    Label1 = 102,
    chkStart = 103,
    chkEnd = 104,
    btnReverse = 105,
    btnZoomUp = 106,
    btnZoomDown = 107,
    btnHome = 108,
    lblURL = 109,
    btnDump = 110,
    btnOK = 111,
    btnCancel = 112,
    lblType = 113,
    cmbType = 114,
    lblCount = 115,
    btnStart = 116,
    btnDirection = 117,
    lblLength = 118,
    edtLength = 119,
    lblMetre = 120,
    lblMass = 121,
    chkLabel = 122,
    chkTable = 123,
    cmbFace = 124,
    btnSheet = 125,
    btnSupports = 126,
};

enum SheetControl : int {
    chkNumbers = 300,
    cmbStep = 301,
    chkElevation = 302,
    lblHead = 303,
    edtHead = 304,
    lblHeadMetre = 305,
    lblLayer = 306,
    cmbLayer = 307,
    chkGroup = 308,
    lblSheetNote = 309,
    sheetBtnClose = 310,
    sheetBtnCopy = 311,
};

enum SupportsControl : int {
    chkSupports = 400,
    lblLevels = 401,
    edtLevels = 402,
    lblLevelsMetre = 403,
    lblMember = 404,
    cmbMember = 405,
    lblSpacing = 406,
    edtSpacing = 407,
    lblSpacingMetre = 408,
    lblBrace = 409,
    edtBrace = 410,
    lblBraceMetre = 411,
    lblSupportsNote = 412,
    supportsBtnClose = 413,
};

enum DumpControl : int {
    Memo1 = 200,
    cmbNGin = 201,
    dumpBtnDump = 202,
    dumpBtnCancel = 203,
};

inline constexpr const wchar_t* kMainClass = L"TfrmMain";
inline constexpr const wchar_t* kDumpClass = L"TfrmDump";
inline constexpr const wchar_t* kSheetClass = L"TfrmSheet";
inline constexpr const wchar_t* kSupportsClass = L"TfrmSupports";
inline constexpr const wchar_t* kImageClass = L"TImage";
inline constexpr const wchar_t* kPanelClass = L"TPanel";

}  // namespace ravo::ids
