// What a view shows: every visible text under an item, and the names of the
// visible symbols that nothing draws.
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
