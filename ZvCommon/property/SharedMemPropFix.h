// CSharedMemPropFix: the fixed-window flags and lists.
//
//   23  int32 Scroll Titled Window Only     31  int32 nTitles (T)
//   27  int32 Fix Gadget                    35  int32 nApps (A)
//   39  anTitleLen: T int32, each a title's size with its zero; then anAppLen: A int32 likewise
//   then the T titles and the A application names, each with its zero, packed without gaps
//   nLen = 39 + 4 * (T + A) + S, S the sizes of all the strings.
// The strings travel as UTF-8, so that no title is lost on the way; a string ends at its first
// zero.
#pragma once

#include <string>
#include <vector>

#include "SharedMemProp.h"

class CSharedMemPropFix : public CSharedMemProp {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Fix";
    static constexpr char TAG[] = "ZvSmPropFix_V0701";
    static constexpr int TITLED_OFS = 23;
    static constexpr int GADGET_OFS = 27;
    static constexpr int TITLES_OFS = 31;
    static constexpr int APPS_OFS = 35;
    static constexpr int ARRAYS_OFS = 39;
    static constexpr int MIN_LEN = ARRAYS_OFS;

    explicit CSharedMemPropFix(int nSender);

    // The block of this section; -1 when it will not fit.
    static int GetLenForFix(const PROP_FIX& fix);

    // Set refuses a section whose block would have another nLen. Get replaces both flags and
    // both lists, or nothing when the block does not add up.
    BOOL Set(const PROP_FIX& fix);
    BOOL Get(PROP_FIX& fix);

    BOOL CreateFor(const PROPERTY_SET& prop) override;
    BOOL SetFrom(const PROPERTY_SET& prop) override { return Set(prop.propFix); }
    BOOL GetInto(PROPERTY_SET& prop) override { return Get(prop.propFix); }
    int GetLenFor(const PROPERTY_SET& prop) const override { return GetLenForFix(prop.propFix); }

    // Pointers into a sound block; null otherwise.
    BYTE* m_pnTitles = nullptr;
    BYTE* m_pnApps = nullptr;
    BYTE* m_panTitleLen = nullptr;
    BYTE* m_panAppLen = nullptr;
    BYTE* m_pszTitles = nullptr;
    BYTE* m_pszApps = nullptr;

protected:
    // pParam: const PROP_FIX*; the block is filled from it.
    int GetCreateLen(const void* pParam) const override;
    void FillCreated(int nLen, const void* pParam) override;
    // Counts at least 0, every size at least 1, the sizes adding up to the rest of nLen, and each
    // string ending with its one zero.
    BOOL IsPayloadSound(const BYTE* pb, int nLen) const override;
    void LocateFields(int nLen, const BYTE* pb) noexcept override;

private:
    // The section's strings as they travel, titles first.
    static std::vector<std::string> Encode(const PROP_FIX& fix);
    static int GetLenForStrings(const std::vector<std::string>& lstStr);
    void Fill(const PROP_FIX& fix, const std::vector<std::string>& lstStr) noexcept;
};
