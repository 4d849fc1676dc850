# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the files staged for the Debian package: the game's command
# moves from usr/bin to usr/games, where Debian's games keep theirs. The link
# points to ../lib/pavendra/pavendra from either folder.
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${staged}/games)
file(RENAME ${staged}/bin/pavendra ${staged}/games/pavendra)
file(REMOVE_RECURSE ${staged}/bin)
