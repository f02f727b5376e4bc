#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A client of the record service, as any program of a pupil's may be one:
#   client.py ask MESSAGE...    sends each message on a connection of its own
#                               and prints each reply ("" when none came)
#   client.py loads N           N loads one after another; prints the slowest
#                               in ms, and every reply that was not a record
#   client.py flood SECONDS     for that long, from 4 processes: connections
#                               opened as fast as they go, each sent a save or
#                               nothing, and never read
import os
import socket
import sys
import time

PATH = "/run/sequilla/record"


def connect(limit):
    """A connection to the service; a full queue is tried again, as the game does."""
    end = time.monotonic() + limit
    while True:
        s = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)
        s.settimeout(limit)
        try:
            s.connect(PATH)
            return s
        except BlockingIOError:
            s.close()
            if time.monotonic() > end:
                raise
            time.sleep(0.01)


def ask(message, limit=15.0):
    with connect(limit) as s:
        try:
            s.send(message)
        except BrokenPipeError:  # turned away already: the reason waits
            pass
        try:
            return s.recv(1024)
        except socket.timeout:
            return b"<no reply>"
        except ConnectionResetError:  # the service was killed
            return b"<reset>"


def flood(seconds):
    end = time.monotonic() + seconds
    children = []
    for _ in range(4):
        pid = os.fork()
        if pid == 0:
            held = []
            while time.monotonic() < end:
                try:
                    s = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET | socket.SOCK_NONBLOCK)
                    s.connect(PATH)
                    if len(held) % 2:
                        s.send(b"save 0 x")
                    held.append(s)
                    if len(held) > 200:
                        held.pop(0).close()
                except OSError:
                    pass
            os._exit(0)
        children.append(pid)
    for pid in children:
        os.waitpid(pid, 0)


command = sys.argv[1]
if command == "ask":
    for message in sys.argv[2:]:
        print(ask(os.fsencode(message)).decode("utf-8", "replace"))
elif command == "loads":
    slowest, odd = 0.0, []
    for _ in range(int(sys.argv[2])):
        start = time.monotonic()
        reply = ask(b"load", 5.0)
        slowest = max(slowest, time.monotonic() - start)
        if not reply.startswith(b"L"):
            odd.append(reply)
    print("%.1f %s" % (slowest * 1000, odd))
elif command == "flood":
    flood(float(sys.argv[2]))
