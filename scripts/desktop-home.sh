#!/usr/bin/env bash
# Gives the account that runs Wine what a desktop session would have: the trash folders of the
# freedesktop recycle bin ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash), where Wine moves
# what the program sends to the recycle bin. A new account on a fresh machine has none, and Wine
# then deletes such files for good (or, asked to, warns first). Run or source it before Wine starts.
trash=${XDG_DATA_HOME:-${HOME:?HOME is not set}/.local/share}/Trash
mkdir -p "$trash/files" "$trash/info" || { echo "desktop-home: cannot create $trash" >&2; exit 1; }
chmod 700 "$trash" 2>/dev/null || true
