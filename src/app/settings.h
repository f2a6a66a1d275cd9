// The choices kept from one run to the next, in "Ravo鋼矢板.ini" beside the
// program (the profile functions, UTF-16). Nothing about it ever stops a run:
// an unreadable file reads as empty, a failed write is let go.
#pragma once
#include <string>

namespace ravo {

class Settings {
public:
    // The file in the program's folder (given with its trailing separator).
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

private:
    std::wstring value(const wchar_t* key) const;
    void setValue(const wchar_t* key, const std::wstring& value) const;

    std::wstring path_;
};

}  // namespace ravo
