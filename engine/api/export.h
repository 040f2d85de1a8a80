// Marks what the engine library exports: the members of CIdea and nothing else.
#pragma once

#if defined(_WIN32)
// Programs call the members through the import library's stubs, so the same
// objects link against Tessiral.dll and against the static engine the tests use.
#if defined(TESSIRAL_BUILDING)
#define TESSIRAL_API __declspec(dllexport)
#else
#define TESSIRAL_API
#endif
#else
#define TESSIRAL_API __attribute__((visibility("default")))
#endif
