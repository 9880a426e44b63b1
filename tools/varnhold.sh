#!/bin/sh
# Starts the game installed in ../lib/varnhold; it finds data/ and varnhold.lng beside itself.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/varnhold/varnhold" "$@"
