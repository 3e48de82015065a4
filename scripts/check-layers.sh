#!/usr/bin/env bash
# Fails when a module source includes a folder its layer may not see. The layers, lowest
# first (README, "Layout"):
#   d3d/, host/  the device's declarations; the game's addresses and reads
#   overlay/     draws plain bar entries on a device it is handed
#   bars/        the bar model, the frame driver and the frame state
#   module/      attach, hook and lifetime
# native/ stands in below d3d/ and host/ in the native build only; tests/, standin/, bench/
# and fuzz/ stand outside the layers, and the stand-in host does not see the module's
# statement of the game (host/host_layout.h, host/host_game.h).
set -euo pipefail
cd "$(dirname "$0")/.."

# Which folders each layer may include, itself included.
declare -A allowed=(
    [d3d]="d3d native"
    [host]="host d3d native"
    [overlay]="overlay d3d"
    [bars]="bars host overlay d3d"
    [module]="module bars overlay host d3d"
)

failed=0
for layer in "${!allowed[@]}"; do
    while IFS= read -r -d '' file; do
        while IFS=: read -r line directive; do
            included=$(sed 's/.*"\(.*\)".*/\1/' <<<"$directive")
            folder=${included%%/*}
            if [[ "$included" != */* || " ${allowed[$layer]} " != *" $folder "* ]]; then
                echo "$file:$line: $layer/ may not include \"$included\"" >&2
                failed=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
    done < <(git ls-files -z "$layer/*.cpp" "$layer/*.h")
done

# The stand-in host lays the game out from its own statement of it
# (standin/host/game_layout.h): through the module's, a wrong offset there would be laid
# out wrong too, and pass.
while IFS=: read -r file line _; do
    echo "$file:$line: the stand-in host states the game's layout itself" >&2
    failed=1
done < <(git grep -n -E '#[[:space:]]*include[[:space:]]*"host/host_(layout|game)\.h"' -- standin || true)

if ((failed)); then
    echo "check-layers: includes against the layers (see README, Layout)" >&2
    exit 1
fi
