// Fuzzes the loading of the settings over a registry in memory whose three values have any
// type, size and bytes, and whose queries may fail with any status. Loading must never
// crash; it applies exactly the values Windows' rules give, in order, up to the first bad
// one, which raises ERegistryException with that value's name and nothing else; and the
// key is closed on every path.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/fake_registry.h"
#include "errors.h"
#include "fuzz_check.h"

namespace {

struct Expected {
    std::string applied;
    std::string error;  // "fetch <name>", "type <name>" or empty
};

// Windows' rules for the three reads. A yes/no value is queried into 4 bytes: absent or
// longer data fail, another type than REG_DWORD is a type error, any non-zero byte is on.
// A text is first asked for its size: absent or empty is the empty text; then read whole.
Expected Model(const FakeKey* key, int failingQuery)
{
    Expected expected;
    if (key == nullptr) return expected;
    int query = 0;
    for (const char* name : {"Lokal", "Mbyte"}) {
        const auto it = key->find(name);
        if (++query == failingQuery || it == key->end() || it->second.data.size() > 4) {
            expected.error = std::string("fetch ") + name;
            return expected;
        }
        if (it->second.type != RegistryType::DWord) {
            expected.error = std::string("type ") + name;
            return expected;
        }
        bool on = false;
        for (const unsigned char byte : it->second.data) on = on || byte != 0;
        expected.applied += std::string(query == 1 ? "lokal=" : "mbytes=") + (on ? "1;" : "0;");
    }
    const auto it = key->find("dailylog");
    if (++query == failingQuery || it == key->end() || it->second.data.empty()) {
        expected.applied += "folder=;";
        return expected;
    }
    if (++query == failingQuery) {
        expected.error = "fetch dailylog";
        return expected;
    }
    const unsigned long type = it->second.type;
    if (type != RegistryType::String && type != RegistryType::ExpandString) {
        expected.error = "type dailylog";
        return expected;
    }
    std::string text;
    for (const unsigned char byte : it->second.data) {
        if (byte == 0) break;
        text += static_cast<char>(byte);
    }
    expected.applied += "folder=" + text + ";";
    return expected;
}

// The error as the model names it, from the exception's message.
std::string Classified(const std::string& message)
{
    const std::string kind = message.starts_with("Fehler beim Holen der Daten")                            ? "fetch "
                             : message.starts_with("Ung") && message.find("Datentyp") != std::string::npos ? "type "
                                                                                                           : "other ";
    const std::size_t quote = message.find('\'');
    return kind + (quote == std::string::npos ? message : message.substr(quote + 1, message.size() - quote - 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    FakeRegistry registry;
    registry.refuseFullAccess = input.ConsumeBool();
    const bool keyExists = input.ConsumeBool();
    const int failingQuery = input.ConsumeIntegralInRange(0, 5);
    registry.failingQuery = failingQuery;
    registry.failingQueryStatus = input.ConsumeIntegral<std::int32_t>();
    if (registry.failingQueryStatus == RegistryStatus::Success) registry.failingQueryStatus = RegistryStatus::MoreData;
    if (keyExists) {
        FakeKey& key = registry.keys[SubkeyPath(kSettingsKey)];
        // The names in any ASCII case: the registry ignores it.
        for (std::string name : {"lokal", "MBYTE", "DailyLog"}) {
            if (!input.ConsumeBool()) continue;
            FakeValue value;
            // Mostly the four types the store tells apart, sometimes any other.
            value.type = input.ConsumeBool() ? input.ConsumeIntegralInRange<unsigned long>(0, 4)
                                             : input.ConsumeIntegral<std::uint32_t>();
            value.data = input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange(0, 300));
            key[name] = value;
        }
    }
    const FakeKey* key = nullptr;
    if (keyExists && !registry.refuseFullAccess) key = &registry.keys.begin()->second;
    const Expected expected = Model(key, failingQuery);

    FakeSettingsForm target;  // records what loading applies, in order
    std::string error;
    try {
        LoadSettings(registry, target);
    } catch (const ERegistryException& e) {
        error = Classified(e.Message());
    } catch (...) {
        FuzzFail("only ERegistryException leaves LoadSettings", "another exception");
    }
    FUZZ_CHECK(!registry.IsOpen(), "the key stayed open");
    FUZZ_CHECK(target.applied == expected.applied && error == expected.error,
               "applied " + Visible(target.applied) + ", error " + Visible(error) + "\nexpected " +
                   Visible(expected.applied) + ", error " + Visible(expected.error));
    return 0;
}
