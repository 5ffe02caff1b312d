#!/usr/bin/env python3
"""Plays a foreign SQLite client of a home's thread files (a backup tool, a script): keeps
taking each thread file's read lock and then its write lock for a while, over and over,
until stdin closes. Usage: hold_thread_files.py HOME HOLD_MS"""
import glob
import os
import re
import sqlite3
import sys
import threading
import time

home, hold_ms = sys.argv[1], int(sys.argv[2])
stop = threading.Event()
threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()

holds = 0
while not stop.is_set():
    # Thread files only ("<follow>-<date>-<time>.db"): not the catalogue, not the search index.
    files = [f for f in glob.glob(os.path.join(home, "*.db"))
             if re.fullmatch(r"\d+-\d{8}-\d{6}\.db", os.path.basename(f))]
    for path in files:
        for mode in ("read", "write"):
            try:
                db = sqlite3.connect(path, timeout=0.2, isolation_level=None)
                if mode == "read":
                    # A read transaction keeps the shared lock until it ends.
                    db.execute("BEGIN")
                    db.execute("SELECT count(*) FROM sqlite_master").fetchall()
                else:
                    db.execute("BEGIN IMMEDIATE")
                time.sleep(hold_ms / 1000.0)
                db.execute("COMMIT")
                db.close()
                holds += 1
            except sqlite3.Error:
                pass  # the server holds it now; try again on the next turn
            time.sleep(0.03)
    time.sleep(0.02)
print("holds", holds, flush=True)
