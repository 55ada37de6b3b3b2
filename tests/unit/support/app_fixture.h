// The application over the fake ports and an in-memory registry, as every application test
// starts it, with short ways to drive it and to read what it left behind.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/app.h"
#include "passwords/password_codec.h"
#include "support/fake_ports.h"
#include "support/memory_registry.h"

namespace veilora::test {

class AppTest : public ::testing::Test {
  protected:
    using Values = std::vector<std::pair<std::string, std::string>>;

    AppTest() : settings(registry) {}

    // A fresh program whose "Options" values are `options` over a registry that is not a first
    // run, has no edge zone unless asked, and starts enabled unless `enabled` is false.
    App& start(Values options, bool enabled = true) {
        registry = MemoryRegistry{};
        registry.putString(kGeneral, "First Run", "False");
        registry.putString(kOptions, "Start Enabled", enabled ? "1" : "0");
        registry.putString(kOptions, "ScrEdge Left", "0");
        for (const auto& [name, value] : options) registry.putString(kOptions, name, value);
        app = std::make_unique<App>(AppPorts{settings, fake, fake, fake, fake, nullptr, &fake});
        app->loadOptions(true);
        fake.log.clear();
        return *app;
    }
    // The same with "PW Hide Screen Cap" checked and `password` stored.
    App& startWithPassword(const std::string& password, Values options) {
        options.emplace_back("PW Hide Screen Cap", "1");
        App& a = start(std::move(options));
        registry.putString(kGeneral, "Offset", encodePassword(password));
        return a;
    }

    // Events for the program, one letter each: L and R press the left and right button, l and
    // r release them, W turns the wheel, M presses the middle button, H and T are the hide and
    // the enable/disable hot keys, F is F11, D a double-click on the cover.
    void play(std::string_view events) {
        for (const char event : events) {
            switch (event) {
                case 'L':
                    app->onSystemMouseLeftDown();
                    break;
                case 'l':
                    app->onSystemMouseLeftUp();
                    break;
                case 'R':
                    app->onSystemMouseRightDown();
                    break;
                case 'r':
                    app->onSystemMouseRightUp();
                    break;
                case 'W':
                    app->onSystemMouseWheel();
                    break;
                case 'M':
                    app->onSystemMouseMiddleDown();
                    break;
                case 'H':
                    app->onHotKey(kHotKeyHide);
                    break;
                case 'T':
                    app->onHotKey(kHotKeyToggleEnabled);
                    break;
                case 'F':
                    app->onHotKey(kHotKeyCapture);
                    break;
                case 'D':
                    app->coverDoubleClick();
                    break;
                default:
                    ADD_FAILURE() << "no event " << event;
            }
        }
    }

    // The steps logged since the last look, these events' last.
    std::string steps(std::string_view events) {
        play(events);
        return fake.took();
    }

    // How often the program hid: each hide stops the pointer monitor first.
    int hides() const { return fake.count("stop-monitor"); }
    // The level kept in the registry for the next start, without its NUL.
    std::optional<std::string> storedLevel() {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneral, "Restore Level");
        if (!value) return std::nullopt;
        return value->data.substr(0, value->data.size() - 1);
    }

    static constexpr const char* kOptions = "Software\\Fernwick\\Veilora\\Options";
    static constexpr const char* kGeneral = "Software\\Fernwick\\Veilora\\General";

    MemoryRegistry registry;
    RegSettings settings;
    FakePorts fake;  // a 1280 x 1024 screen
    std::unique_ptr<App> app;
};

}  // namespace veilora::test
