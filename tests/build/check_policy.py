#!/usr/bin/env python3
"""The Group Policy template as Group Policy reads it: both files well-formed, every string and
presentation the ADMX names present in the ADML, and the one policy writing exactly the key and
the text value the programs read.
    check_policy.py ADMX ADML POLICY_KEY VALUE_NAME"""
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
admx_path, adml_path, policy_key, value_name = sys.argv[1:5]
faults = []
try:
    admx, adml = ET.parse(admx_path).getroot(), ET.parse(adml_path).getroot()
except ET.ParseError as error:
    sys.exit(f"not well-formed: {error}")

strings = {s.get("id") for s in adml.iter(NS + "string")}
presentations = {p.get("id"): p for p in adml.iter(NS + "presentation")}
for element in admx.iter():
    for attribute in element.attrib.values():
        for kind, name in re.findall(r"\$\((string|presentation)\.([^)]*)\)", attribute):
            if name not in (strings if kind == "string" else presentations):
                faults.append(f"the ADML has no {kind} {name!r}")

policies = list(admx.iter(NS + "policy"))
if len(policies) != 1:
    faults.append(f"{len(policies)} policies, not one")
for policy in policies:
    if policy.get("class") != "Machine":
        faults.append("the policy is not the machine's")
    if policy.get("key") != policy_key:
        faults.append(f"key {policy.get('key')!r}, not {policy_key!r}")
    texts = list(policy.iter(NS + "text"))
    if [t.get("valueName") for t in texts] != [value_name] or policy.get("valueName"):
        faults.append(f"values {[t.get('valueName') for t in texts]}, not [{value_name!r}]")
    presentation = presentations.get(policy.get("presentation", "")[len("$(presentation."):-1])
    ids = {t.get("id") for t in texts}
    if presentation is None or {b.get("refId") for b in presentation} != ids:
        faults.append("the presentation does not show the text box of the value")

print("\n".join(faults) or "the policy template names " + policy_key + "\\" + value_name)
sys.exit(1 if faults else 0)
