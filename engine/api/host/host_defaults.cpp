// Where the engine's messages go when its host lends it no message sink.
#include "engine/jobs/file_job.h"

#include <cstdio>

namespace {

class StderrMessages final : public CMessageSink {
public:
    int MessageBox(const char* text, const char* caption, unsigned) override
    {
        std::fprintf(stderr, "%s %s\n", caption ? caption : "", text ? text : "");
        return IDOK;
    }
};

} // namespace

CMessageSink& default_message_sink()
{
    static StderrMessages sink;
    return sink;
}
