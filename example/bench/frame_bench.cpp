// One whole frame of a fresh game in a real window (the x11 back-end on the
// X server of DISPLAY), against the floor: the OpenGL calls of that frame,
// captured as the runtime made them, replayed in a bare GLX window of the same
// configuration with no runtime around them. Without an X server it says so
// and measures nothing.
//
// Mesa's software rasteriser (llvmpipe, as on Xvfb) draws on worker threads
// whose wall time follows the machine's load; unless LP_NUM_THREADS is set, it
// is set to 0 so that all drawing runs, and is timed, on the calling thread.

#include <benchmark/benchmark.h>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
// After the Win32 declarations: Xlib's macros would clash with them.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "example/golf_game.h"
#include "example/scene.h"
#include "example/window_game_canvas.h"
#include "gl_stream.h"
#include "round_trips.h"

namespace {

constexpr float play_time = 1.25f;
constexpr float wind = 5.0f;
constexpr int frames = 300;

struct game_window {
    window_game_canvas canvas;
    golf_game game;
    Display* display = nullptr;
    GLXContext context = nullptr;
    GLXDrawable drawable = 0;
    gl_stream frame_stream;

    game_window() {
        canvas.OpenWindow("Kelvaro / Quon + Vantrel", 1000, 700, 0);
        if (!canvas.primary_window_open()) {
            std::fprintf(stderr, "the game window did not open\n");
            std::exit(1);
        }
        draw_frame(canvas, game, play_time, wind, false);  // first frame: fonts and buffers warm
        start_gl_capture(frame_stream);
        draw_frame(canvas, game, play_time, wind, false);
        stop_gl_capture();
        display = glXGetCurrentDisplay();
        context = glXGetCurrentContext();
        drawable = glXGetCurrentDrawable();
    }
};

game_window& the_game() {
    static game_window window;
    return window;
}

// A window and context like the game's, sharing its display lists (the fonts).
struct bare_window {
    Window window = 0;
    GLXContext context = nullptr;

    explicit bare_window(game_window& game) {
        int config_id = 0;
        glXQueryContext(game.display, game.context, GLX_FBCONFIG_ID, &config_id);
        const int wanted[] = {GLX_FBCONFIG_ID, config_id, None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(game.display, DefaultScreen(game.display), wanted, &count);
        if (!configs || count < 1) {
            std::fprintf(stderr, "no configuration like the game's\n");
            std::exit(1);
        }
        XVisualInfo* visual = glXGetVisualFromFBConfig(game.display, configs[0]);
        const Window root = RootWindow(game.display, visual->screen);
        XSetWindowAttributes attributes{};
        attributes.colormap = XCreateColormap(game.display, root, visual->visual, AllocNone);
        window = XCreateWindow(game.display, root, 0, 0, 1000, 700, 0, visual->depth, InputOutput, visual->visual,
                               CWColormap, &attributes);
        XMapWindow(game.display, window);
        XSync(game.display, False);
        context = glXCreateNewContext(game.display, configs[0], GLX_RGBA_TYPE, game.context, True);
        XFree(visual);
        XFree(configs);

        glXMakeCurrent(game.display, window, context);
        glXMakeCurrent(game.display, game.drawable, game.context);
    }
};

void game_frame(benchmark::State& state) {
    game_window& game = the_game();
    for (auto _ : state) draw_frame(game.canvas, game.game, play_time, wind, false);
}

// The requests one frame of the game's loop (its input queries and its
// drawing, aiming) makes that wait for the X server, with the window active
// and no events arriving: the foreground and input queries are answered from
// what was read after the last events.
void round_trips_per_frame(benchmark::State& state) {
    game_window& game = the_game();
    const Window window = static_cast<Window>(x11_backend_window(GetActiveWindow() ? GetActiveWindow() : nullptr));
    if (window) XSetInputFocus(game.display, window, RevertToParent, CurrentTime);
    auto loop_frame = [&] {
        game.canvas.MouseDown("LEFT");
        game.canvas.MouseY();
        game.canvas.KeyPressed("R");
        game.canvas.KeyPressed("N");
        draw_frame(game.canvas, game.game, play_time, wind, true);
        game.canvas.KeyPressed("ESCAPE");
    };
    for (int i = 0; i < 10; ++i) loop_frame();  // the focus change's events read
    const round_trip_counts before = counted_round_trips();
    for (auto _ : state) loop_frame();
    const round_trip_counts after = counted_round_trips();
    const double frames_drawn = static_cast<double>(state.iterations());
    state.counters["input_round_trips"] = static_cast<double>(after.input - before.input) / frames_drawn;
    state.counters["other_round_trips"] = static_cast<double>(after.other - before.other) / frames_drawn;
    state.counters["active"] = GetForegroundWindow() != nullptr ? 1 : 0;
}

// The requests that wait for the X server per pointer motion of a drag of the
// caption band (the window follows the pointer, moved by the layer without a
// window manager or by the window manager), frames drawn between the motions:
// none beyond the move itself. The pointer and its button are driven through
// XTest on a connection of its own.
void round_trips_per_caption_motion(benchmark::State& state) {
    game_window& game = the_game();
    Display* pointer = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!pointer || !XTestQueryExtension(pointer, &event, &error, &major, &minor)) {
        state.SkipWithError("no XTest on the display");
        if (pointer) XCloseDisplay(pointer);
        return;
    }
    auto frame = [&] {
        game.canvas.MouseDown("LEFT");
        game.canvas.MouseY();
        draw_frame(game.canvas, game.game, play_time, wind, false);
    };
    auto settle = [&](auto done) {
        for (int i = 0; i < 100 && !done(); ++i) {
            frame();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    };
    const HWND window = GetActiveWindow();
    RECT start{};
    GetWindowRect(window, &start);
    POINT at{start.left + 400, start.top + 20};  // on the caption band
    // Above the floor's bare window, which covers the same place.
    XRaiseWindow(pointer, static_cast<Window>(x11_backend_window(window)));
    XTestFakeMotionEvent(pointer, -1, at.x, at.y, CurrentTime);
    XSync(pointer, False);
    for (int i = 0; i < 5; ++i) frame();
    XTestFakeButtonEvent(pointer, 1, True, CurrentTime);
    XSync(pointer, False);
    for (int i = 0; i < 20; ++i) frame();  // the press and the start of the move
    unsigned long motions = 0, followed = 0;
    const round_trip_counts before = counted_round_trips();
    for (auto _ : state) {
        const int step = motions % 40 < 20 ? 10 : -10;  // to and fro, on the screen
        at.x += step;
        XTestFakeMotionEvent(pointer, -1, at.x, at.y, CurrentTime);
        XFlush(pointer);
        RECT was{};
        GetWindowRect(window, &was);
        bool moved = false;
        settle([&] {
            RECT now{};
            GetWindowRect(window, &now);
            return moved = now.left != was.left;
        });
        followed += moved ? 1 : 0;
        ++motions;
    }
    const round_trip_counts after = counted_round_trips();
    XTestFakeButtonEvent(pointer, 1, False, CurrentTime);
    XFlush(pointer);
    for (int i = 0; i < 20; ++i) frame();
    XCloseDisplay(pointer);
    state.counters["input_round_trips"] = static_cast<double>(after.input - before.input) / static_cast<double>(motions);
    state.counters["other_round_trips"] = static_cast<double>(after.other - before.other) / static_cast<double>(motions);
    // The share of the motions the window followed: a figure of 0 round trips counts only with it.
    state.counters["followed"] = static_cast<double>(followed) / static_cast<double>(motions);
}

void bare_gl_floor(benchmark::State& state) {
    game_window& game = the_game();
    static bare_window bare(game);
    const bool srgb = glIsEnabled(0x8DB9 /* GL_FRAMEBUFFER_SRGB */);
    glXMakeCurrent(game.display, bare.window, bare.context);
    if (srgb) glEnable(0x8DB9);
    for (auto _ : state) replay_gl_stream(game.frame_stream, game.display, bare.window);
    glXMakeCurrent(game.display, game.drawable, game.context);
    state.counters["gl_calls"] = static_cast<double>(game.frame_stream.calls.size());
}

double median_ms(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Game frames and floor frames in turn, so that both see the same machine load;
// reports each one's median and their ratio.
void game_against_floor(benchmark::State& state) {
    game_window& game = the_game();
    static bare_window bare(game);
    const bool srgb = glIsEnabled(0x8DB9 /* GL_FRAMEBUFFER_SRGB */);
    std::vector<double> game_ms, floor_ms;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        draw_frame(game.canvas, game.game, play_time, wind, false);
        auto end = std::chrono::steady_clock::now();
        game_ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());

        glXMakeCurrent(game.display, bare.window, bare.context);
        if (srgb) glEnable(0x8DB9);
        start = std::chrono::steady_clock::now();
        replay_gl_stream(game.frame_stream, game.display, bare.window);
        end = std::chrono::steady_clock::now();
        floor_ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        glXMakeCurrent(game.display, game.drawable, game.context);
    }
    const double game_median = median_ms(game_ms);
    const double floor_median = median_ms(floor_ms);
    state.counters["game_median_ms"] = game_median;
    state.counters["floor_median_ms"] = floor_median;
    state.counters["ratio"] = game_median / floor_median;
}

}  // namespace

BENCHMARK(game_against_floor)->Iterations(frames)->Unit(benchmark::kMillisecond);
BENCHMARK(round_trips_per_frame)->Iterations(60)->Unit(benchmark::kMillisecond);
BENCHMARK(round_trips_per_caption_motion)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(game_frame)->Iterations(1)->Repetitions(frames)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(bare_gl_floor)->Iterations(1)->Repetitions(frames)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("LP_NUM_THREADS", "0", 0);
    if (!x11_backend_display()) {
        std::puts("example_frame_bench: no X server (DISPLAY); nothing measured");
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
