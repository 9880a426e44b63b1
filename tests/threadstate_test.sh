#!/usr/bin/env bash
# Every thread of the score server holds a world of its own, so the state of a world lives in
# thread-locals. Two ways to get that wrong, both found wherever a declaration stands on its line
# (after `namespace {`, `static` or `inline`, indented inside a function):
#
# reached: the world is made by the start-up steps (game/world.h), but the other thread-locals a
#   file declares in a header are not: GCC reaches another file's thread-local without making it
#   first (-fno-extern-tls-init). So a file that defines a thread-local declared in a header
#   (reached from other files) and made at run time (a class, a string, a vector: anything but a
#   number, a bool or a pointer) registers a toucher with ThreadState(), or a new thread would
#   find that object unmade.
# shared: an object of the game's code that is not thread-local (a `static`, inside a function
#   too, or a variable of a namespace) is one object for every world of the process: worlds
#   played on several threads at once would share it. Those shared on purpose are listed below,
#   with why every world may share them.
#   bash tests/threadstate_test.sh SOURCE_DIR [reached|shared]    (both without the second)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
check="${2:-both}"
game="app framework game combat traffic sky"

# The game's objects that every world shares on purpose: FILE NAME..., and why.
shared=(
    "app/world.cpp programdir lngpath shotdir"       # the program's folders: one program
    "app/world.cpp making"                           # start-up's lock: one world is made at a time
    "app/world.cpp cache cut fontdone"               # the sounds and the font, decoded once under that lock, read only
    "framework/assets.cpp img_trailenemy img_trailplayer img_beam img_line img_drop img_citylens"
    "framework/assets.cpp cloudw2 turretbasew2 explosionw2 jumperw2 jumperh2 starscale"
    "framework/assets.cpp citylenspath failed done result"   # the pictures, loaded once under that lock, read only
    "app/main.cpp ticks"                             # the crowded fight's refills: the program holds one world
)

# The lines of the C++ files given, FILE:LINE:TEXT, without comments and the texts of strings.
code() {
    grep -rHnE '' --include='*.cpp' --include='*.h' "$@" |
        sed -E 's://.*$::; s:"([^"\\]|\\.)*":"":g'
}
# The name a declaration's text (up to its `;`, `=` or `{`) declares: its last word.
declared() { sed -E ':a; s/<[^<>]*>//g; ta; s/\[[^]]*\]//g; s/[[:space:]]*$//; s/.*[^A-Za-z0-9_]//'; }

bad=0
if [ "$check" != shared ]; then
    # the names that headers declare `extern thread_local`
    all=$(code app framework game combat traffic sky platform)
    names=$(echo "$all" | grep -E '\.h:' |
            grep -oE '(^|[^A-Za-z0-9_])extern[[:space:]]+thread_local[[:space:]][^;(]*;' |
            sed -E 's/.*extern[[:space:]]+thread_local[[:space:]]+//; s/;$//; s/=.*//' | tr ',' '\n' | declared | sort -u)
    for name in $names; do
        while IFS=: read -r file _ def; do
            # made at the program's start from constants: nothing to make
            def=$(echo "$def" | sed -E 's/.*(^|[^A-Za-z0-9_])(thread_local)/\2/')
            if echo "$def" | grep -qE '^thread_local[[:space:]]+(static[[:space:]]+)?(int|unsigned|float|double|bool|[A-Za-z_:]+ ?\*|void \(\*)'; then continue; fi
            if ! grep -q 'ThreadState(' "$file"; then
                echo "$file: defines the thread-local $name, which other files reach, but registers no ThreadState toucher"
                bad=1
            fi
        done < <(echo "$all" | grep -E '\.cpp:' | grep -vE '(^|[^A-Za-z0-9_])extern[[:space:]]' |
                 grep -E "(^|[^A-Za-z0-9_])thread_local[[:space:]][^;(]*[ *&]$name( |\[|\{|;|=)" || true)
    done
    [ "$bad" = 0 ] && echo "every file whose made thread-locals others reach registers a toucher"
fi

if [ "$check" != reached ]; then
    # the objects a line declares: a `static` anywhere on it (not a function, a constant or a
    # thread-local), or a variable of a namespace (at the line's start, as namespaces are not
    # indented here); each must be one of those shared on purpose
    if code $game | SHARED="$(printf '%s\n' "${shared[@]}")" perl -ne '
        BEGIN { for (split /\n/, $ENV{SHARED}) { my ($f, @n) = split; $ok{"$f $_"} = 1 for @n; } }
        my ($file, $line, $text) = /^([^:]+):(\d+):(.*)$/ or next;
        $text =~ s/^namespace\s*\w*\s*\{\s*//;   # a namespace opened on the same line
        my $decl;
        if ($text =~ /(?:^|[^\w])static\s+(.*)$/) {
            $decl = $1;
            next if $decl =~ /^(?:inline\s+)?(?:const|constexpr|thread_local)\b/;
        } elsif ($text =~ /^[A-Za-z_][\w:<>, *&]*[ *&]+[A-Za-z_]\w*(?:\[[^]]*\])*\s*(?:=|\{|;)/ &&
                 $text !~ /^(?:return|using|typedef|extern|const|constexpr|thread_local|inline|struct|class|enum|union|friend|template|namespace|concept|static_assert|case|goto|delete|throw)\b/) {
            $decl = $text;
        } else { next }
        (my $head = $decl) =~ s/[;={].*//;
        next if $head =~ /\(/;   # a function
        ($head) = split /,/, $head;
        1 while $head =~ s/<[^<>]*>//g;
        $head =~ s/\[[^]]*\]//g;
        my ($name) = $head =~ /(\w+)\s*$/ or next;
        next if $ok{"$file $name"};
        print "$file:$line: $name is one object for every world of the process; make it thread_local (the world\x27s,",
              " or its thread\x27s), or list it in tests/threadstate_test.sh with why every world may share it\n";
        $bad = 1;
        END { exit($bad ? 1 : 0) }'; then
        echo "every object of the game's code that is not thread-local is shared on purpose"
    else
        bad=1
    fi
fi
exit "$bad"
