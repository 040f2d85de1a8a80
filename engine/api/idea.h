// CIdea: the engine object. One per batch: it holds the algorithm code, the
// state of all six ciphers, the batch counters and the windows it borrows, and
// encrypts or decrypts one file per call. The library exports this class only.
#pragma once

#include "engine/api/export.h"
#include "engine/api/host/message_sink.h"
#include "engine/api/host/wnd.h"
#include "engine/ciphers/aes/aes.h"
#include "engine/ciphers/mars/mars.h"
#include "engine/ciphers/rc6/rc6.h"
#include "engine/ciphers/serpent/serpent.h"
#include "engine/ciphers/twofish/twofish.h"

#include <string>

class CPercentProgressCtrl;
class CFileOps;
struct CBatchControl;

// Result codes of IdeaEncrypt and IdeaDecrypt; 100 and 200 are failures.
enum : int {
    IDEA_SOURCE_FAILED = 100,
    IDEA_DEST_FAILED = 200,
    IDEA_DONE = 300,
};

class TESSIRAL_API CIdea {
public:
    CIdea();
    CIdea(const CIdea& other);
    ~CIdea();
    CIdea& operator=(const CIdea& other);

    void SetKey(unsigned char* key);
    void GetKey(unsigned char* out);
    int IdeaEncrypt(char* source, char* destination);
    int IdeaDecrypt(char* source, char* destination);
    void EnString(unsigned char* in, unsigned char* out);
    void DeString(unsigned char* in, unsigned char* out);

    // Borrowed from the batch's window; the file operations write to all three.
    CWnd* m_pStatusWnd = nullptr;
    CWnd* m_pCountWnd = nullptr;
    CPercentProgressCtrl* m_pProgress = nullptr;
    int m_bReplace = 1;
    int m_bAddExt = 1;
    // Whether the next file's result may replace an existing file that is
    // not its source (the caller asked the user); otherwise such a file is
    // refused. Set per file.
    int m_bOverwrite = 0;
    int m_nTotalFiles = 0;
    int m_nFileIndex = 0;
    std::string m_strArith;

    // Where the engine's message boxes go; null: standard error.
    CMessageSink* m_pMessages = nullptr;
    // The file operations; null: the real file system.
    CFileOps* m_pFileOps = nullptr;
    // Stop request, result check and cipher finding; null: none of them.
    CBatchControl* m_pControl = nullptr;

private:
    friend struct CIdeaAccess; // the engine's file loops, cipher table and tests

    // Every cipher's state, held by value: two objects never share a key.
    CAes m_aes;
    CMars m_mars;
    CRc6 m_rc6;
    TwofishContext m_twofish{};
    SerpentContext m_serpent{};
    unsigned char m_ideaKey[16] = {};
    unsigned short m_ideaEncSubkeys[52] = {};
    unsigned short m_ideaDecSubkeys[52] = {};

    // Kept for the export list (a DLL exports private members too): does nothing.
    void MakeRadomKey(unsigned char*);
    void cipher_idea(unsigned char* in, unsigned char* out, unsigned short* subkeys);
    void en_key_idea(unsigned char* key, unsigned short* subkeys);
    void de_key_idea(unsigned short* encSubkeys, unsigned short* decSubkeys);
    // Exported as members since the first release; de_key_idea uses inv, the tests mul.
    unsigned short inv(unsigned short x);
    unsigned short mul(unsigned short a, unsigned short b);
};
