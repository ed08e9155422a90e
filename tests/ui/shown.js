// What a view shows: every visible text under an item, and the names of the
// visible symbols that nothing draws; `problems` joins the expected texts
// that are missing and the undrawn symbols ("" when the view is whole).
.pragma library

function texts(item) {
    let found = []
    if (!item.visible)
        return found
    if (typeof item.text === "string" && item.text !== "")
        found.push(item.text)
    for (let i = 0; i < item.children.length; ++i)
        found = found.concat(texts(item.children[i]))
    if (item.contentItem && item.contentItem.children)
        found = found.concat(texts(item.contentItem))
    return found
}

function undrawnSymbols(item) {
    if (!item.visible)
        return []
    let found = item.known === false ? [item.name] : []
    for (let i = 0; i < item.children.length; ++i)
        found = found.concat(undrawnSymbols(item.children[i]))
    return found
}

function problems(item, expected) {
    const shown = texts(item)
    const missing = expected.filter(text => !shown.includes(text))
    return missing.concat(undrawnSymbols(item)).join(" | ")
}
