// The per-file loops behind IdeaEncrypt and IdeaDecrypt, kept out of the
// engine object so that the library exports nothing but CIdea's members
// (a Windows DLL exports every member of an exported class, private or not).
// The format given owns the bytes; the loops own files, chunks and threads.
#pragma once

#include "engine/api/idea.h"
#include "engine/jobs/file_format.h"

int encrypt_file(CIdea& engine, CFileFormat& format, char* source, char* destination);
int decrypt_file(CIdea& engine, CFileFormat& format, char* source, char* destination);
