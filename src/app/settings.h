// The choices kept from one run to the next, in "Ravo鋼矢板.ini" beside the
// program (the profile functions, UTF-16). Nothing about it ever stops a run:
// an unreadable file reads as empty, a failed write is let go.
#pragma once
#include <string>

namespace ravo {

// The settings file's name, in the program's folder.
inline constexpr const char16_t* kSettingsFile = u"Ravo鋼矢板.ini";

class Settings {
public:
    // The settings file at `path`, its full path.
    explicit Settings(std::wstring path);

    // The remembered section's name; empty when there is none.
    std::wstring pileSection() const { return value(L"Type"); }
    void setPileSection(const std::wstring& name) const { setValue(L"Type", name); }
    // The pile length as the user typed it.
    std::wstring pileLength() const { return value(L"Length"); }
    void setPileLength(const std::wstring& typed) const { setValue(L"Length", typed); }
    // Whether OK adds the labels and the quantity table ("1"), off by default.
    bool labels() const { return value(L"Label") == L"1"; }
    void setLabels(bool on) const { setValue(L"Label", on ? L"1" : L"0"); }
    bool table() const { return value(L"Table") == L"1"; }
    void setTable(bool on) const { setValue(L"Table", on ? L"1" : L"0"); }
    // What a wall's drawn line is: "0" the joint line (also for anything
    // else), "1" the inner face, "2" the outer face.
    std::wstring face() const { return value(L"Face"); }
    void setFace(const std::wstring& face) const { setValue(L"Face", face); }
    // The sheet's extras: pile numbers ("1") and their step ("1", "5",
    // "10"); the developed elevation ("1") and the head level as typed; the
    // annotations' layer ("0" … "F"; empty: the write layer); each piece one
    // curve object ("1"). All off by default.
    bool numbers() const { return value(L"Numbers") == L"1"; }
    void setNumbers(bool on) const { setValue(L"Numbers", on ? L"1" : L"0"); }
    std::wstring numberStep() const { return value(L"NumberStep"); }
    void setNumberStep(const std::wstring& step) const { setValue(L"NumberStep", step); }
    bool elevation() const { return value(L"Elevation") == L"1"; }
    void setElevation(bool on) const { setValue(L"Elevation", on ? L"1" : L"0"); }
    std::wstring headLevel() const { return value(L"Head"); }
    void setHeadLevel(const std::wstring& typed) const { setValue(L"Head", typed); }
    std::wstring annotationLayer() const { return value(L"AnnotationLayer"); }
    void setAnnotationLayer(const std::wstring& layer) const { setValue(L"AnnotationLayer", layer); }
    bool groupPieces() const { return value(L"GroupPieces") == L"1"; }
    void setGroupPieces(bool on) const { setValue(L"GroupPieces", on ? L"1" : L"0"); }
    // The supports ("1", off by default) and their choices as typed: the
    // levels, the member by the name its list shows, the wales' bay and the
    // braces' leg; empty where nothing is remembered.
    bool supports() const { return value(L"Supports") == L"1"; }
    void setSupports(bool on) const { setValue(L"Supports", on ? L"1" : L"0"); }
    std::wstring supportLevels() const { return value(L"SupportLevels"); }
    void setSupportLevels(const std::wstring& typed) const { setValue(L"SupportLevels", typed); }
    std::wstring supportMember() const { return value(L"SupportMember"); }
    void setSupportMember(const std::wstring& name) const { setValue(L"SupportMember", name); }
    std::wstring supportSpacing() const { return value(L"SupportSpacing"); }
    void setSupportSpacing(const std::wstring& typed) const { setValue(L"SupportSpacing", typed); }
    std::wstring supportBrace() const { return value(L"SupportBrace"); }
    void setSupportBrace(const std::wstring& typed) const { setValue(L"SupportBrace", typed); }

private:
    std::wstring value(const wchar_t* key) const;
    void setValue(const wchar_t* key, const std::wstring& value) const;

    std::wstring path_;
};

}  // namespace ravo
