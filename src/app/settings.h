// The choices kept from one run to the next, in "Ravo鋼矢板.ini" beside the
// program (the profile functions, UTF-16). Nothing about it ever stops a run:
// an unreadable file reads as empty, a failed write is let go.
#pragma once
#include <string>

namespace ravo {

class Settings {
public:
    // The file in the program's folder (given with its trailing separator).
    explicit Settings(const std::wstring& exeDir);

    // The remembered section's name; empty when there is none.
    std::wstring pileSection() const;
    void setPileSection(const std::wstring& name) const;

private:
    std::wstring path_;
};

}  // namespace ravo
