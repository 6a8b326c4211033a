// Text in the character sets older programs write (Shift_JIS, GBK, Big5,
// EUC-KR, Windows-1252, ...), decoded one way for every reader: by the
// system's converter (iconv, which the toolkit's own conversion uses here),
// found by the charset's name or by any other name the toolkit knows the
// same encoding by ("windows1252" for "windows-1252"). What happens to bytes
// that are not text in the charset is the caller's choice: the strict
// decoders say so, the lenient ones turn every byte into a character.
#pragma once

#include <cstddef>
#include <string>

#include <wx/fontenc.h>
#include <wx/string.h>

namespace LegacyText
{
// Converts bytes in one charset to UTF-8 a piece at a time, keeping a
// character split between two pieces and the shift state of charsets that
// have one (ISO-2022-JP).
class Utf8Stream
{
public:
    Utf8Stream() = default;
    ~Utf8Stream();
    Utf8Stream(const Utf8Stream&) = delete;
    Utf8Stream& operator=(const Utf8Stream&) = delete;

    // False when the system cannot convert from this charset or encoding.
    bool Open(const wxString& charset);
    bool Open(wxFontEncoding encoding);

    // Appends the UTF-8 of the bytes to out. False when they are not text in
    // the charset, or when the last piece ends inside a character.
    bool Convert(const char* data, size_t size, bool last, std::string& out);

private:
    bool OpenName(const char* name);

    void* cd = nullptr; // the iconv descriptor
    std::string carry;
};

// The whole text, strictly: false (and text empty) when the charset is
// unknown or the bytes are not text in it.
bool Decode(const char* bytes, size_t length, const wxString& charset, wxString& text);
bool Decode(const char* bytes, size_t length, wxFontEncoding encoding, wxString& text);

// Length of the valid UTF-8 sequence at p (at most left bytes) and its code
// point; 0 when there is none.
size_t Utf8Sequence(const unsigned char* p, size_t left, wxUint32& code);

// Every byte a character: valid UTF-8 sequences as UTF-8, every other byte
// as Windows-1252 shows it (the five bytes it leaves undefined as the control
// characters of the same number), a NUL as U+FFFD, since it would end the
// text in every window that shows it.
wxString DecodeUtf8OrWindows1252(const char* bytes, size_t length);
} // namespace LegacyText
