# The Linux build with every test, benchmark and the game.
configure_build build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo
build build/linux
run_ctest build/linux
