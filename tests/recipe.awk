# SPDX-License-Identifier: MIT
# Prints the fenced code block that follows <!-- recipe: NAME --> in the
# README, for the tests and CI to run it as it stands:
#   awk -v name=NAME -f tests/recipe.awk README.md
$0 == "<!-- recipe: " name " -->" { found = 1; next }
found && /^```/ { if (inside) exit; inside = 1; next }
inside { print }
