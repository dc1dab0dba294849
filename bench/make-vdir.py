#!/usr/bin/env python3
"""Writes a calendar folder as vdirsyncer lays one out: DIR/calendar/ and DIR/tasks/,
one .ics per item. make-vdir.py DIR EVENTS TASKS FROM(YYYY-MM-DD)

The events are spread over the year around FROM: single ones, weekly and daily
series with exceptions, all-day ones, in a few zones (IANA and Windows names); the
tasks have due dates around FROM, some completed.
"""
import datetime
import os
import random
import sys

ZONES = ["Europe/Berlin", "America/New_York", "W. Europe Standard Time", "Pacific Standard Time", None]


def stamp(d):
    return d.strftime("%Y%m%dT%H%M%S")


def main():
    root, events, tasks = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    start = datetime.datetime.strptime(sys.argv[4], "%Y-%m-%d")
    rnd = random.Random(1700)
    cal = os.path.join(root, "calendar")
    todo = os.path.join(root, "tasks")
    os.makedirs(cal, exist_ok=True)
    os.makedirs(todo, exist_ok=True)
    for i in range(events):
        day = start + datetime.timedelta(days=rnd.randint(-180, 180), hours=rnd.randint(7, 19),
                                         minutes=rnd.choice([0, 15, 30, 45]))
        zone = rnd.choice(ZONES)
        tz = f";TZID={zone}" if zone else ""
        lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//bench//vdir//EN", "BEGIN:VEVENT",
                 f"UID:bench-event-{i}@example.org", "DTSTAMP:20260101T000000Z", f"SUMMARY:Bench event {i}"]
        kind = i % 10
        if kind == 0:
            lines += [f"DTSTART;VALUE=DATE:{day:%Y%m%d}",
                      f"DTEND;VALUE=DATE:{(day + datetime.timedelta(days=rnd.randint(1, 3))):%Y%m%d}"]
        else:
            lines += [f"DTSTART{tz}:{stamp(day)}", f"DTEND{tz}:{stamp(day + datetime.timedelta(minutes=rnd.choice([30, 60, 90])))}"]
        if kind in (1, 2):
            lines.append("RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR")
            lines.append(f"EXDATE{tz}:{stamp(day + datetime.timedelta(days=7))}")
        elif kind == 3:
            lines.append("RRULE:FREQ=DAILY;COUNT=400")
        if kind == 4:
            lines += ["BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER:-PT15M", "DESCRIPTION:x", "END:VALARM"]
        lines += ["END:VEVENT"]
        if kind == 1:
            moved = day + datetime.timedelta(days=14)
            lines += ["BEGIN:VEVENT", f"UID:bench-event-{i}@example.org", "DTSTAMP:20260101T000000Z",
                      f"RECURRENCE-ID{tz}:{stamp(moved)}", f"DTSTART{tz}:{stamp(moved + datetime.timedelta(hours=2))}",
                      f"DTEND{tz}:{stamp(moved + datetime.timedelta(hours=3))}", f"SUMMARY:Bench event {i} (moved)",
                      "END:VEVENT"]
        lines += ["END:VCALENDAR", ""]
        with open(os.path.join(cal, f"bench-event-{i}.ics"), "w", newline="") as f:
            f.write("\r\n".join(lines))
    for i in range(tasks):
        due = start + datetime.timedelta(days=rnd.randint(-30, 60))
        lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//bench//vdir//EN", "BEGIN:VTODO",
                 f"UID:bench-task-{i}@example.org", "DTSTAMP:20260101T000000Z", f"SUMMARY:Bench task {i}",
                 f"CREATED:{stamp(start - datetime.timedelta(days=i % 90))}Z", f"PRIORITY:{rnd.randint(0, 9)}"]
        if i % 4:
            lines.append(f"DUE;VALUE=DATE:{due:%Y%m%d}")
        if i % 7 == 0:
            lines += ["STATUS:COMPLETED", f"COMPLETED:{stamp(start)}Z"]
        lines += ["END:VTODO", "END:VCALENDAR", ""]
        with open(os.path.join(todo, f"bench-task-{i}.ics"), "w", newline="") as f:
            f.write("\r\n".join(lines))


if __name__ == "__main__":
    main()
