#!/usr/bin/python3
"""Generates recurrence patterns in Outlook's terms and, with dateutil's rrule as an
independent implementation, the days on which each occurs within two years.

Outlook's monthly rule differs from RFC 5545 for days that a month lacks (a pattern
on the 31st falls on the last day of shorter months); such patterns are written for
the oracle as "the last of the days 28..N of the month" (BYMONTHDAY + BYSETPOS=-1).

Output: one JSON object per line with the pattern and the expected days as
days since 30 December 1899."""
import datetime
import json
import random
import sys

from dateutil import rrule

EPOCH = datetime.date(1899, 12, 30)
DAYS = [rrule.SU, rrule.MO, rrule.TU, rrule.WE, rrule.TH, rrule.FR, rrule.SA]
TYPES = ["daily", "weekly", "monthly", "monthNth", "yearly", "yearNth"]


def day_number(d):
    return (d - EPOCH).days


def month_day_rule(dom):
    if dom <= 28:
        return {"bymonthday": dom}
    return {"bymonthday": list(range(28, dom + 1)), "bysetpos": -1}


def main(count, seed):
    rnd = random.Random(seed)
    for i in range(count):
        kind = TYPES[i % len(TYPES)]
        start = datetime.date(2000, 1, 1) + datetime.timedelta(days=rnd.randrange(0, 365 * 40))
        interval = rnd.choice([1, 1, 1, 2, 3, 4]) if kind not in ("yearly", "yearNth") else rnd.choice([1, 1, 2])
        mask = 0
        while mask == 0:
            mask = rnd.randrange(1, 128) if kind == "weekly" else (1 << rnd.randrange(7))
        if kind == "monthNth" and rnd.random() < 0.2:
            mask = 0b0111110  # a weekday, Monday to Friday
        wkst = rnd.randrange(7)
        dom = rnd.choice([1, 5, 15, 28, 29, 30, 31, rnd.randrange(1, 32)])
        instance = rnd.randrange(1, 6)
        month = rnd.randrange(1, 13)
        end = rnd.choice(["none", "until", "count"])
        window_from = day_number(start)
        window_to = window_from + 730
        args = {"dtstart": datetime.datetime.combine(start, datetime.time()), "interval": interval}
        if kind == "daily":
            freq = rrule.DAILY
        elif kind == "weekly":
            freq = rrule.WEEKLY
            args["byweekday"] = [DAYS[d] for d in range(7) if mask & (1 << d)]
            args["wkst"] = DAYS[wkst]
        elif kind == "monthly":
            freq = rrule.MONTHLY
            args.update(month_day_rule(dom))
        elif kind == "monthNth":
            freq = rrule.MONTHLY
            args["byweekday"] = [DAYS[d] for d in range(7) if mask & (1 << d)]
            args["bysetpos"] = -1 if instance == 5 else instance
        elif kind == "yearly":
            freq = rrule.YEARLY
            args["bymonth"] = month
            args.update(month_day_rule(dom))
        else:
            freq = rrule.YEARLY
            args["bymonth"] = month
            args["byweekday"] = [DAYS[d] for d in range(7) if mask & (1 << d)]
            args["bysetpos"] = -1 if instance == 5 else instance
        pattern = {"type": kind, "interval": interval, "dayMask": mask, "firstDayOfWeek": wkst,
                   "dayOfMonth": dom, "instance": instance, "monthOfYear": month,
                   "startDay": window_from, "from": window_from, "to": window_to}
        if end == "until":
            until = start + datetime.timedelta(days=rnd.randrange(1, 700))
            args["until"] = datetime.datetime.combine(until, datetime.time())
            pattern["endDay"] = day_number(until)
        elif end == "count":
            args["count"] = rnd.randrange(1, 40)
            pattern["count"] = args["count"]
        window_end = datetime.datetime.combine(EPOCH + datetime.timedelta(days=window_to), datetime.time())
        days = []
        for occurrence in rrule.rrule(freq, **args):
            if occurrence > window_end:
                break
            days.append(day_number(occurrence.date()))
        pattern["expected"] = days
        print(json.dumps(pattern))


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 600, int(sys.argv[2]) if len(sys.argv) > 2 else 1207)
