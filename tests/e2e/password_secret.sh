# Sourced by the end-to-end tests that lock a show. lock_with_secret DIR [VALUE] makes DIR (a
# user's scenesaver settings folder) private and stores in it the password value VALUE (default
# 1) and the hash of the password "secret", both readable by the user alone.
lock_with_secret() {
  local dir=$1
  mkdir -p "$dir"
  chmod 700 "$dir"
  printf '%s\n' "${2:-1}" >"$dir/ScreenSaveUsePassword"
  printf '%s\n' '$argon2id$v=19$m=65536,t=2,p=1$losJMXpCl3dPXDc7NZWR2w$x0XOhxKKRr2hpmQtJlzJzH3R8RwP4lKrWg0fCrs68WU' \
    >"$dir/password"
  chmod 600 "$dir/ScreenSaveUsePassword" "$dir/password"
}
