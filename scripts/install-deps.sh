#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing the agent
# needs: what the agent needs (install-agent-deps.sh), the test and
# benchmark libraries, the 32-bit compilers, SQLite and libpq for the
# reports with the PostgreSQL server their tests start, an X server and
# clients, a headless browser for the HTML report, and
# what the package test uses (the package tools, debootstrap, systemd's
# unit checker, man); then the Windows builds' compilers and Wine, and,
# where the kernel does not run 32-bit programs, an emulator for them.
set -euo pipefail

bash "$(dirname "$0")/install-agent-deps.sh" \
  libgtest-dev libgmock-dev libbenchmark-dev \
  googletest g++-multilib \
  libsqlite3-dev libpq-dev postgresql-15 \
  binutils \
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
  xvfb x11-apps \
  chromium \
  dpkg-dev debootstrap systemd man-db

bash "$(dirname "$0")/install-windows-deps.sh"
bash "$(dirname "$0")/install-i386-emulation.sh"
