#pragma once
// The rules of the island golf game: one ball, three greens, wind, bunker,
// water and strokes. Pure logic in single precision; window pixels, seconds.

#include <cstdint>
#include <string>

struct golf_vector {
    float x;
    float y;
};

class golf_game {
public:
    // A new game is in the state that reset() produces.
    golf_game();
    virtual ~golf_game();

    // Starts a new round on green 1 from the tee.
    virtual void reset();
    // Length of `velocity`; 0 when a component is NaN or out of range.
    virtual float speed() const;
    // Strikes the ball toward the target; silently refused while the ball
    // moves faster than 3, when holed, after the round or for a target closer than 2.
    virtual void shot(float target_x, float target_y);
    // Advances the ball by dt seconds under a wind along x (pixels per second squared).
    virtual void step(float dt, float wind);
    // Moves on to the next green after a holed ball; ignored otherwise.
    virtual void next_green();

    // Plain fields: the self-test writes ball and velocity, the scene reads them.
    golf_vector ball;
    golf_vector velocity;
    golf_vector lie;  // where the last accepted shot was struck; the water returns the ball here
    golf_vector cup;
    std::int32_t strokes;
    std::int32_t green;  // 1 to 3
    bool in_cup;
    bool round_complete;
    std::string message;
};
