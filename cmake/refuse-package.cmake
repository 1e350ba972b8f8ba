# Read by cpack in a tree configured in the ordinary install layout, which is not what a Debian
# package of a game may hold.
message(FATAL_ERROR "This tree installs in the ordinary layout, not as a Debian game: make the "
                    "package with scripts/package.sh, or configure with -DARENA_GAMES_LAYOUT=ON.")
