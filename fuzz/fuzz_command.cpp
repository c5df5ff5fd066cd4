// Every command the plant's broker can hand the agent: the input is the payload, taken as each of
// the three commands. A command is either refused with a reason and nothing to run, or taken with
// an id that can name its reply's topic and, for apply and verify, a job that passes its checks;
// every answer made of it is JSON.

#include "Payloads.h"
#include "Require.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QTemporaryDir library; // an empty job library: every name in it is missing
    const QByteArray payload(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const agent::Verb verb :
         {agent::Verb::Apply, agent::Verb::Verify, agent::Verb::ReadCells}) {
        const agent::ParsedCommand parsed = agent::parseCommand(verb, payload, library.path());
        if (!parsed.command) {
            require(!parsed.error.isEmpty());
            const QByteArray reply = agent::errorJson(parsed.id, verb, "North", parsed.error);
            require(QJsonDocument::fromJson(reply).isObject());
            continue;
        }
        require(parsed.error.isEmpty() && agent::usableId(parsed.command->id));
        require(verb == agent::Verb::ReadCells
                    ? !parsed.command->job
                    : parsed.command->job && !backup::validate(*parsed.command->job));
    }
    return 0;
}
